sorvak_add_fuzz_target(settings
    SOURCE ${CMAKE_CURRENT_LIST_DIR}/SettingsFuzz.cpp
    LIBS sorvak_settings
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/settings)
