# The dialog base, the system dialog's interface and the dialog classes.
target_sources(sorvak_dialogs PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CommonDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/CommonDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/DialogPanes.h
    ${CMAKE_CURRENT_LIST_DIR}/FileDialogService.h
    ${CMAKE_CURRENT_LIST_DIR}/Geometry.h
    ${CMAKE_CURRENT_LIST_DIR}/OpenDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/OpenDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/OpenFileNameRequest.cpp ${CMAKE_CURRENT_LIST_DIR}/OpenFileNameRequest.h
    ${CMAKE_CURRENT_LIST_DIR}/OpenOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/PicturePane.h
    ${CMAKE_CURRENT_LIST_DIR}/SavePictureDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/SavePictureDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/SystemVersion.cpp ${CMAKE_CURRENT_LIST_DIR}/SystemVersion.h
    ${CMAKE_CURRENT_LIST_DIR}/PreviewFile.cpp ${CMAKE_CURRENT_LIST_DIR}/PreviewFile.h
    ${CMAKE_CURRENT_LIST_DIR}/TextDlgHelpers.cpp ${CMAKE_CURRENT_LIST_DIR}/TextDlgHelpers.h
    ${CMAKE_CURRENT_LIST_DIR}/TextDlgs.cpp ${CMAKE_CURRENT_LIST_DIR}/TextDlgs.h
    ${CMAKE_CURRENT_LIST_DIR}/TextPreviewPane.h
)
