# End-to-end start of the real viewer on a damaged settings hive: it must start on defaults, say
# so once on standard error, and leave the damaged file exactly as it was. Included by
# tests/CMakeLists.txt it declares the test; run with -P (VIEWER: the program, WORK: a scratch
# folder) it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
    if(TARGET vistelle)
        add_test(NAME vistelle_starts_on_a_damaged_hive
                 COMMAND ${CMAKE_COMMAND} -DVIEWER=$<TARGET_FILE:vistelle>
                         -DWORK=${CMAKE_CURRENT_BINARY_DIR}/vistelle-damaged-hive -P ${CMAKE_CURRENT_LIST_FILE})
        set_tests_properties(vistelle_starts_on_a_damaged_hive PROPERTIES TIMEOUT 120)

        # A GoogleTest program that starts the real viewer and sends it termination signals.
        add_executable(vistelle_signal_tests ${CMAKE_CURRENT_LIST_DIR}/app/VistelleSignalTest.cpp)
        target_link_libraries(vistelle_signal_tests PRIVATE velmora_test_main_core velmora_warnings)
        target_compile_definitions(vistelle_signal_tests PRIVATE VISTELLE_PROGRAM="$<TARGET_FILE:vistelle>")
        add_dependencies(vistelle_signal_tests vistelle)
        gtest_discover_tests(vistelle_signal_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                             PROPERTIES ENVIRONMENT "VELMORA_SOURCE_DIR=${CMAKE_SOURCE_DIR}" RUN_SERIAL TRUE TIMEOUT 200)
    endif()
    return()
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config/Velmora ${WORK}/data ${WORK}/runtime)
set(ENV{HOME} ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK}/config)
set(ENV{XDG_DATA_HOME} ${WORK}/data)
set(ENV{XDG_RUNTIME_DIR} ${WORK}/runtime)
set(ENV{VELMORA_SIMULATE_DESKTOP} ${WORK}/desktop.log)
set(ENV{VELMORA_QUIT_WHEN_READY} 1)
if(NOT DEFINED ENV{QT_QPA_PLATFORM})
    set(ENV{QT_QPA_PLATFORM} offscreen)
endif()

set(hive ${WORK}/config/Velmora/registry.db)
file(WRITE ${hive} "This is not a database. 这不是数据库。\n")
file(SHA256 ${hive} before)

execute_process(COMMAND ${VIEWER} RESULT_VARIABLE code ERROR_VARIABLE err OUTPUT_VARIABLE out TIMEOUT 100)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "vistelle exited with ${code}\n${err}")
endif()
file(SHA256 ${hive} after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "the damaged hive was changed")
endif()
string(REGEX MATCHALL "registry\\.db" mentions "${err}")
list(LENGTH mentions count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one message naming the hive on standard error, got ${count}:\n${err}")
endif()
if(NOT EXISTS ${WORK}/data/Velmora/Download)
    message(FATAL_ERROR "the download folder was not created")
endif()
