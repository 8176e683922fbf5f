# The list management dialog: widgets and presentation on top of the widget-free engine.
add_library(lf_lists_gui STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DlgLstManageUI.ui
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage.h
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_trace.h
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_counts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_sources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_upload.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dlglstmanage_control.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datalistview.h
    ${CMAKE_CURRENT_LIST_DIR}/datalistview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/statuslamp.h
    ${CMAKE_CURRENT_LIST_DIR}/statuslamp.cpp
)
target_link_libraries(lf_lists_gui PUBLIC lf_lists lf_instrument lf_core Qt5::Widgets)
