# The widget tests: their own main makes the QApplication (offscreen) that the
# dialogs need before GoogleTest runs.
file(GLOB ui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
if(ui_test_sources)
  add_executable(corvenna_ui_tests ${ui_test_sources})
  corvenna_settings(corvenna_ui_tests)
  target_link_libraries(corvenna_ui_tests PRIVATE corvenna_ui corvenna_testsupport Qt6::Test GTest::gmock GTest::gtest)
  gtest_discover_tests(corvenna_ui_tests
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=UTC;LANG=C.UTF-8;LC_ALL=")
endif()
if(TARGET corvenna_ui_tests)
  target_compile_definitions(corvenna_ui_tests PRIVATE
    CORVENNA_TEST_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    CORVENNA_TEST_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    CORVENNA_TEST_VERSION_PATCH=${PROJECT_VERSION_PATCH}
    CORVENNA_TEST_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})
endif()
