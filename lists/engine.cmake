# Widget-free data list engine: modulation table, PRBS generator, sources, data file decoders and
# the data list file formats. QtCore only, so the command-line tool and the fuzzers can use it.
add_library(lf_lists STATIC
    ${CMAKE_CURRENT_LIST_DIR}/listresult.h ${CMAKE_CURRENT_LIST_DIR}/savefile.h
    ${CMAKE_CURRENT_LIST_DIR}/listmessages.h ${CMAKE_CURRENT_LIST_DIR}/listmessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modtypeinfo.h ${CMAKE_CURRENT_LIST_DIR}/modtypeinfo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/prbsgenerator.h ${CMAKE_CURRENT_LIST_DIR}/prbsgenerator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datasources.h ${CMAKE_CURRENT_LIST_DIR}/datasources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datafiledecoders.h ${CMAKE_CURRENT_LIST_DIR}/datafiledecoders.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datalistfile.h ${CMAKE_CURRENT_LIST_DIR}/datalistfile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/datalist.h ${CMAKE_CURRENT_LIST_DIR}/datalist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/packedbits.h ${CMAKE_CURRENT_LIST_DIR}/packedbits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/packeddatalist.h ${CMAKE_CURRENT_LIST_DIR}/packeddatalist.cpp
)
target_link_libraries(lf_lists PUBLIC lf_core Qt5::Core)
