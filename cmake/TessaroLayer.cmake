# One static library per layer, made of every source file in its folder.
# New files are picked up without editing the layer's CMakeLists.txt.
function(tessaro_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp)
  list(FILTER _src EXCLUDE REGEX ".*/main\\.cpp$")
  if(_src)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    # A layer that has only headers so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One GoogleTest executable made of every test source in the folder, each
# test a test of its own. The suites named after GROUPED run instead as one
# test each, all their tests in one process: a fault matrix whose scenarios
# are separate tests reports its tally when the process ends.
function(tessaro_test name)
  cmake_parse_arguments(T "" "" "DEPS;GROUPED" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${T_DEPS} tessaro_test_support GTest::gtest GTest::gtest_main)
  # Tests keep what the program keeps about cards (the table history) in the
  # build tree, never in the user's own state folder.
  set(_state "XDG_STATE_HOME=set:${CMAKE_BINARY_DIR}/test-state")
  set(_filter)
  if(T_GROUPED)
    list(TRANSFORM T_GROUPED APPEND ".*" OUTPUT_VARIABLE _suites)
    list(JOIN _suites ":" _joined)
    set(_filter TEST_FILTER "-${_joined}")
    foreach(_suite IN LISTS T_GROUPED)
      add_test(NAME ${_suite} COMMAND ${name} --gtest_filter=${_suite}.*)
      set_tests_properties(${_suite} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                           ENVIRONMENT_MODIFICATION "${_state}")
    endforeach()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${_filter}
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ENVIRONMENT_MODIFICATION "${_state}")
endfunction()
