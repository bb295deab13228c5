# Each subsystem folder builds two static libraries:
#   <name>_core from the .cpp files of the folder itself and its logic subfolders (no widgets),
#               linked to Qt Core and the CORE_LIBS it names (Qt6::Gui where it needs QImage);
#   <name>_ui   from the .cpp files below its ui/ folder (windows and dialogs), linked to its
#               core, Qt Widgets and the UI_LIBS it names: the Qt modules it uses
#               (Qt6::WebEngineWidgets, Qt6::PrintSupport, Qt6::Multimedia, ...), other _ui
#               libraries and common_platform when it reaches the desktop.
# Sources are collected by glob so that a new file needs no edit here. EXCLUDE names subfolders
# that another target builds (common/platform/ is the common_platform library).
function(velmora_subsystem name)
    cmake_parse_arguments(ARG "" "" "CORE_LIBS;UI_LIBS;EXCLUDE" ${ARGN})
    file(GLOB_RECURSE core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER core_sources EXCLUDE REGEX "/ui/")
    file(GLOB_RECURSE core_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER core_headers EXCLUDE REGEX "/ui/")
    foreach(folder IN LISTS ARG_EXCLUDE)
        list(FILTER core_sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${folder}/")
        list(FILTER core_headers EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${folder}/")
    endforeach()
    add_library(${name}_core STATIC ${core_sources} ${core_headers})
    target_link_libraries(${name}_core PUBLIC Qt6::Core ${ARG_CORE_LIBS} PRIVATE velmora_warnings)
    if(VELMORA_BUILD_UI AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/ui)
        file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
             ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
        add_library(${name}_ui STATIC ${ui_sources})
        target_link_libraries(${name}_ui PUBLIC ${name}_core Qt6::Widgets ${ARG_UI_LIBS} PRIVATE velmora_warnings)
    endif()
endfunction()
