# Common compile settings of every target of ours.
function(corvenna_settings target)
  # clang has no -Wshadow=local; its -Wshadow would also flag members and globals.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers
                                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
  if(CORVENNA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CORVENNA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# One static, position-independent library per layer; its sources are the
# .cpp files of its folder, so adding a unit needs no edit here.
function(corvenna_layer target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A layer whose units are still to come: an empty library keeps the graph whole.
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${sources} "namespace corvenna {}\n")
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  corvenna_settings(${target})
endfunction()

# One GoogleTest executable per layer, from the .cpp files of tests/<layer>/.
# Discovery runs at test time (PRE_TEST), inside the test's environment.
function(corvenna_test_suite layer)
  cmake_parse_arguments(ARG "" "MAIN" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target corvenna_${layer}_tests)
  add_executable(${target} ${sources})
  corvenna_settings(${target})
  target_link_libraries(${target} PRIVATE corvenna_testsupport ${ARG_LIBS} GTest::gmock)
  if(ARG_MAIN)
    target_link_libraries(${target} PRIVATE ${ARG_MAIN})
  else()
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=UTC;LANG=C.UTF-8;LC_ALL=")
endfunction()
