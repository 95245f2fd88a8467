# The dialog templates "ENHDLG1" and "DLGTEMPLATE" as data.
target_sources(sorvak_resources PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogTemplates.cpp ${CMAKE_CURRENT_LIST_DIR}/DialogTemplates.h
)
