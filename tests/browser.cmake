# The browser's window tests serve their pages from an HTTP server in the test program
# (cpp-httplib, Debian's libcpp-httplib-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
if(TARGET browser_frame_ui_tests)
    target_link_libraries(browser_frame_ui_tests PRIVATE PkgConfig::HTTPLIB)
    target_include_directories(browser_frame_ui_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
endif()
