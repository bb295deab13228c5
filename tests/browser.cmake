# The browser's window tests serve their pages from an HTTP server in the test program
# (cpp-httplib, Debian's libcpp-httplib-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
if(TARGET browser_frame_ui_tests)
    target_link_libraries(browser_frame_ui_tests PRIVATE PkgConfig::HTTPLIB)
    target_include_directories(browser_frame_ui_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    # The viewer's browser button opens the frame.
    target_link_libraries(browser_frame_ui_tests PRIVATE viewer_ui)
endif()
if(TARGET browser_page_ui_tests)
    target_include_directories(browser_page_ui_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(browser_page_ui_tests PRIVATE PkgConfig::HTTPLIB)
endif()

# End-to-end: "vistelle --browser" against a local server, ended by SIGTERM.
if(TARGET vistelle)
    add_executable(nimbrow_start browser-e2e/NimbrowStart.cpp)
    target_link_libraries(nimbrow_start PRIVATE common_core PkgConfig::HTTPLIB velmora_warnings)
    add_test(NAME vistelle_browser_start_and_sigterm
             COMMAND nimbrow_start $<TARGET_FILE:vistelle> ${CMAKE_CURRENT_BINARY_DIR}/vistelle-browser-start)
    set_tests_properties(vistelle_browser_start_and_sigterm PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
endif()

# The downloader's tests fetch from an HTTP server in the test program.
if(TARGET browser_page_tests)
    target_link_libraries(browser_page_tests PRIVATE PkgConfig::HTTPLIB)
    target_include_directories(browser_page_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
endif()

# End-to-end: "vistelle --browser" with automatic picture saving on a page of the local server.
if(TARGET vistelle)
    add_executable(nimbrow_pictures browser-e2e/NimbrowPictures.cpp)
    target_link_libraries(nimbrow_pictures PRIVATE common_core Qt6::Gui PkgConfig::HTTPLIB velmora_warnings)
    add_test(NAME vistelle_browser_saves_pictures
             COMMAND nimbrow_pictures $<TARGET_FILE:vistelle> ${CMAKE_CURRENT_BINARY_DIR}/vistelle-browser-pictures)
    set_tests_properties(vistelle_browser_saves_pictures PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
