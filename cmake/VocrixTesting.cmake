# vx_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per folder; every case is registered with CTest.
function(vx_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                       DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# vx_add_gui_test(<name> SOURCES <files...> LIBS <targets...>)
# A GoogleTest executable that needs a display: one CTest case that runs it on a virtual X
# server of its own, at 24-bit depth so that colours are exact. The server takes a free display
# itself (cmake/run_on_virtual_display.sh), so cases that run in parallel never share one.
function(vx_add_gui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/cmake/run_on_virtual_display.sh 1024x768x24
                   $<TARGET_FILE:${name}>
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  # The toolkit's libraries keep memory for the life of the process: leak reports from them
  # are suppressed in sanitizer builds.
  set_tests_properties(${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/gui-lsan.supp")
endfunction()
