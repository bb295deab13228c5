# The real viewer keeps the web engine's start-up notes off standard error, and its web profile
# keeps its data in the data folder's web/ and its cache in $XDG_CACHE_HOME/Velmora/web/.
# Included by tests/CMakeLists.txt it declares the test; run with -P (VIEWER: the program, WORK: a
# scratch folder) it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
    if(TARGET vistelle)
        add_test(NAME vistelle_keeps_engine_notes_quiet
                 COMMAND ${CMAKE_COMMAND} -DVIEWER=$<TARGET_FILE:vistelle>
                         -DWORK=${CMAKE_CURRENT_BINARY_DIR}/vistelle-quiet -P ${CMAKE_CURRENT_LIST_FILE})
        set_tests_properties(vistelle_keeps_engine_notes_quiet PROPERTIES TIMEOUT 120)
    endif()
    return()
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config ${WORK}/data ${WORK}/cache ${WORK}/runtime ${WORK}/pictures)
set(ENV{HOME} ${WORK})
set(ENV{XDG_CONFIG_HOME} ${WORK}/config)
set(ENV{XDG_DATA_HOME} ${WORK}/data)
set(ENV{XDG_CACHE_HOME} ${WORK}/cache)
set(ENV{XDG_RUNTIME_DIR} ${WORK}/runtime)
set(ENV{VELMORA_SIMULATE_DESKTOP} ${WORK}/desktop.log)
set(ENV{VELMORA_QUIT_WHEN_READY} 1)
unset(ENV{QT_LOGGING_RULES})
if(NOT DEFINED ENV{QT_QPA_PLATFORM})
    set(ENV{QT_QPA_PLATFORM} offscreen)
endif()

execute_process(COMMAND ${VIEWER} ${WORK}/pictures RESULT_VARIABLE code ERROR_VARIABLE err OUTPUT_VARIABLE out
                TIMEOUT 100)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "vistelle exited with ${code}\n${err}")
endif()
foreach(note "qt.webenginecontext" "GL Type" "Init Parameters")
    string(FIND "${err}${out}" "${note}" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "the engine's start-up note \"${note}\" was printed:\n${err}${out}")
    endif()
endforeach()
foreach(folder ${WORK}/data/Velmora/web ${WORK}/cache/Velmora/web)
    if(NOT IS_DIRECTORY ${folder})
        message(FATAL_ERROR "the web profile's folder ${folder} was not made")
    endif()
endforeach()
