# Each subsystem folder builds two static libraries:
#   <name>_core from the .cpp files of the folder itself and its logic subfolders (no widgets),
#   <name>_ui   from the .cpp files below its ui/ folder (windows and dialogs).
# Sources are collected by glob so that a new file needs no edit here.
function(velmora_subsystem name)
    cmake_parse_arguments(ARG "" "" "CORE_LIBS;UI_LIBS" ${ARGN})
    file(GLOB_RECURSE core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER core_sources EXCLUDE REGEX "/ui/")
    file(GLOB_RECURSE core_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER core_headers EXCLUDE REGEX "/ui/")
    add_library(${name}_core STATIC ${core_sources} ${core_headers})
    target_link_libraries(${name}_core PUBLIC Qt6::Core ${ARG_CORE_LIBS} PRIVATE velmora_warnings)
    if(VELMORA_BUILD_UI AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/ui)
        file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
             ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
        add_library(${name}_ui STATIC ${ui_sources})
        target_link_libraries(${name}_ui PUBLIC ${name}_core Qt6::Widgets Qt6::WebEngineWidgets ${ARG_UI_LIBS}
                              PRIVATE velmora_warnings)
    endif()
endfunction()
