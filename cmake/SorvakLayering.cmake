# The shape of the build, checked at configure time.
#
# Every sorvak_* library has a row: the libraries it may link, and QT or X11
# where it may use those. Its sources may include the headers of what its row
# names and of what those may use in turn, never a layer above. Plain C++
# rows name neither QT nor X11, and nothing they reach may link either.
set(SORVAK_LAYERS
    "sorvak_base"
    "sorvak_settings sorvak_base"
    "sorvak_imaging sorvak_base"
    "sorvak_formtext sorvak_base"
    "sorvak_resources"
    "sorvak_cli sorvak_base"
    "sorvak_filemanagers sorvak_base"
    "sorvak_dialogs sorvak_base sorvak_formtext"
    "sorvak_clipboard sorvak_base sorvak_imaging"
    "sorvak_driver sorvak_base sorvak_settings sorvak_imaging sorvak_dialogs sorvak_clipboard"
    "sorvak_platform_qt sorvak_base QT"
    "sorvak_platform_selection sorvak_base sorvak_imaging sorvak_clipboard QT"
    "sorvak_platform_x11 sorvak_base sorvak_imaging sorvak_clipboard sorvak_platform_selection QT X11"
    "sorvak_platform_wayland sorvak_base sorvak_platform_selection QT"
    "sorvak_platform_notify QT"
    "sorvak_platform_filedialog sorvak_base sorvak_dialogs sorvak_resources sorvak_platform_qt QT"
    "sorvak_widgets sorvak_base sorvak_settings sorvak_dialogs sorvak_clipboard sorvak_resources sorvak_platform_qt QT"
    # Beside the product: test and benchmark support.
    "sorvak_testsupport sorvak_base sorvak_clipboard QT"
    "sorvak_testsupport_filedialog sorvak_testsupport sorvak_platform_filedialog QT"
    "sorvak_e2e sorvak_testsupport sorvak_bench_images"
    "sorvak_bench_images sorvak_base sorvak_imaging"
)

# Folder of a header, from the include root, to the library that owns it.
set(SORVAK_FOLDERS
    "base sorvak_base"
    "settings sorvak_settings"
    "imaging sorvak_imaging"
    "formtext sorvak_formtext"
    "resources sorvak_resources"
    "resources/filemanagers sorvak_filemanagers"
    "dialogs sorvak_dialogs"
    "clipboard sorvak_clipboard"
    "driver sorvak_driver"
    "cli sorvak_cli"
    "platform/qt sorvak_platform_qt"
    "platform/selection sorvak_platform_selection"
    "platform/x11 sorvak_platform_x11"
    "platform/wayland sorvak_platform_wayland"
    "platform/filedialog sorvak_platform_filedialog"
    "platform/notify sorvak_platform_notify"
    "widgets sorvak_widgets"
    "tests/support sorvak_testsupport"
    "tests/support/filedialog sorvak_testsupport_filedialog"
    "tests/e2e sorvak_e2e"
    "bench sorvak_bench_images"
)

# A link item, generator expressions included, as the plain names inside it.
function(_sorvak_link_names item out)
    string(REGEX REPLACE "\\$<[A-Za-z_0-9]*:?" ";" item "${item}")
    string(REPLACE ">" ";" item "${item}")
    string(REPLACE "," ";" item "${item}")
    set(names "")
    foreach(name IN LISTS item)
        string(REGEX REPLACE "^:+" "" name "${name}")
        if(name)
            list(APPEND names "${name}")
        endif()
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# QT, X11 or nothing, for one link name.
function(_sorvak_system_kind name out)
    set(kind "")
    if(name MATCHES "(^|/|-l|lib)Qt[0-9]*(::|[A-Z][A-Za-z]*($|\\.))")
        set(kind QT)
    elseif(name MATCHES "(^|/|-l|lib|::)(xcb|XCB|X11)([-_:.]|$)")
        set(kind X11)
    endif()
    set(${out} "${kind}" PARENT_SCOPE)
endfunction()

function(_sorvak_row library out)
    foreach(row IN LISTS SORVAK_LAYERS)
        string(REPLACE " " ";" row "${row}")
        list(POP_FRONT row name)
        if(name STREQUAL library)
            set(${out} "${row}" PARENT_SCOPE)
            set(${out}_FOUND TRUE PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out}_FOUND FALSE PARENT_SCOPE)
endfunction()

# The libraries a row names, and the ones those name, and so on.
function(_sorvak_closure library out)
    set(seen "")
    set(queue ${library})
    while(queue)
        list(POP_FRONT queue current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        _sorvak_row(${current} row)
        foreach(use IN LISTS row)
            if(use MATCHES "^sorvak_")
                list(APPEND queue ${use})
            endif()
        endforeach()
    endwhile()
    set(${out} "${seen}" PARENT_SCOPE)
endfunction()

function(_sorvak_links target out)
    set(links "")
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(direct ${target} LINK_LIBRARIES)
        if(direct)
            list(APPEND links ${direct})
        endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
        list(APPEND links ${interface})
    endif()
    set(names "")
    foreach(link IN LISTS links)
        _sorvak_link_names("${link}" parts)
        list(APPEND names ${parts})
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Direct links: only what the row names. Everything reached: no QT or X11
# unless the row names it.
function(_sorvak_check_links library row)
    _sorvak_links(${library} direct)
    foreach(name IN LISTS direct)
        if(name MATCHES "^sorvak_" AND NOT name IN_LIST row)
            message(FATAL_ERROR "${library} links ${name}, which its row in "
                                "cmake/SorvakLayering.cmake does not allow")
        endif()
    endforeach()
    set(seen "")
    set(queue ${library})
    while(queue)
        list(POP_FRONT queue current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        _sorvak_system_kind("${current}" kind)
        if(kind AND NOT kind IN_LIST row)
            message(FATAL_ERROR "${library} must stay free of ${kind} but reaches ${current}")
        endif()
        if(TARGET ${current})
            _sorvak_links(${current} next)
            list(APPEND queue ${next})
        endif()
    endwhile()
endfunction()

# Includes: our headers from the library's own folder or the closure of its
# row; Qt and X11 headers only where the row names them.
function(_sorvak_check_includes library row)
    _sorvak_closure(${library} allowed)
    get_target_property(sources ${library} SOURCES)
    get_target_property(folder ${library} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(NOT IS_ABSOLUTE "${source}")
            set(source "${folder}/${source}")
        endif()
        if(NOT source MATCHES "\\.(h|cpp)$" OR NOT EXISTS "${source}")
            continue()
        endif()
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*).*" "\\1\\2" header "${line}")
            if(header MATCHES "^<(Q[A-Za-z]|Qt)")
                set(kind QT)
            elseif(header MATCHES "^<(xcb|X11)/")
                set(kind X11)
            else()
                set(kind "")
            endif()
            if(kind AND NOT kind IN_LIST row)
                message(FATAL_ERROR "${source} includes ${header}>, but ${library} must stay free of ${kind}")
            endif()
            if(NOT header MATCHES "^\"")
                continue()
            endif()
            string(SUBSTRING "${header}" 1 -1 header)
            set(owner "")
            set(longest 0)
            foreach(entry IN LISTS SORVAK_FOLDERS)
                string(REPLACE " " ";" entry "${entry}")
                list(GET entry 0 prefix)
                list(GET entry 1 candidate)
                string(LENGTH "${prefix}" length)
                if(header MATCHES "^${prefix}/" AND length GREATER longest)
                    set(owner ${candidate})
                    set(longest ${length})
                endif()
            endforeach()
            if(owner AND NOT owner IN_LIST allowed)
                message(FATAL_ERROR "${source} includes \"${header}\" of ${owner}, a layer "
                                    "${library} may not use (cmake/SorvakLayering.cmake)")
            endif()
        endforeach()
    endforeach()
endfunction()

function(_sorvak_targets_in directory out)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(children DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(child IN LISTS children)
        _sorvak_targets_in(${child} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} "${targets}" PARENT_SCOPE)
endfunction()

# Applies the table to every sorvak_* library of the build.
function(sorvak_check_layers)
    _sorvak_targets_in(${PROJECT_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT target MATCHES "^sorvak_" OR NOT type MATCHES "LIBRARY$")
            continue()
        endif()
        _sorvak_row(${target} row)
        if(NOT row_FOUND)
            message(FATAL_ERROR "${target} has no row in cmake/SorvakLayering.cmake: "
                                "say which libraries it may use")
        endif()
        _sorvak_check_links(${target} "${row}")
        _sorvak_check_includes(${target} "${row}")
    endforeach()
endfunction()

# Every folder lists its sources in its CMakeLists.txt; a stray fragment
# would be silently left out of the build.
function(sorvak_require_no_fragments)
    file(GLOB_RECURSE fragments ${PROJECT_SOURCE_DIR}/*.cmake)
    list(FILTER fragments EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/(cmake|build[^/]*)/")
    if(fragments)
        message(FATAL_ERROR "List these in their folder's CMakeLists.txt instead: ${fragments}")
    endif()
endfunction()
