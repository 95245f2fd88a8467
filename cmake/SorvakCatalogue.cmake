# The catalogues of shown texts, run as a script:
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DMODE=update -P SorvakCatalogue.cmake
#       brings every translations/sorvak_*.ts up to the texts of the sources
#       (new texts come in unfinished, texts no longer used go)
#   ... -DMODE=check -DWORK_DIR=...
#       does the same on copies and fails for every shown text a catalogue
#       does not translate
# lupdate finds tr(), QCoreApplication::translate() and, in the plain
# libraries, SORVAK_TEXT("sorvak", "...").
set(product_folders app base cli clipboard dialogs driver formtext imaging platform resources
    settings widgets)
set(folders "")
foreach(folder IN LISTS product_folders)
    list(APPEND folders "${SOURCE_DIR}/${folder}")
endforeach()
file(GLOB catalogues "${SOURCE_DIR}/translations/sorvak_*.ts")
if(NOT catalogues)
    message(FATAL_ERROR "no catalogue in ${SOURCE_DIR}/translations")
endif()

foreach(catalogue IN LISTS catalogues)
    get_filename_component(name "${catalogue}" NAME)
    if(MODE STREQUAL "update")
        set(target "${catalogue}")
    elseif(MODE STREQUAL "check")
        file(MAKE_DIRECTORY "${WORK_DIR}")
        set(target "${WORK_DIR}/${name}")
        file(COPY_FILE "${catalogue}" "${target}")
    else()
        message(FATAL_ERROR "MODE is update or check")
    endif()
    execute_process(
        COMMAND "${LUPDATE}" -silent -tr-function-alias QT_TRANSLATE_NOOP+=SORVAK_TEXT
                -source-language ja_JP -no-obsolete -locations none -extensions cpp,h
                ${folders} -ts "${target}"
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    if(MODE STREQUAL "check")
        file(READ "${target}" text)
        string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\""
            missing "${text}")
        if(missing)
            list(LENGTH missing count)
            string(REGEX REPLACE "[ \n]*<translation type=\"unfinished\"" "" missing "${missing}")
            string(REPLACE ";" "\n  " missing "${missing}")
            message(FATAL_ERROR "${name}: ${count} shown text(s) without a translation "
                "(run the update_catalogues target, then translate them):\n  ${missing}")
        endif()
        message(STATUS "${name}: every shown text is translated")
    endif()
endforeach()
