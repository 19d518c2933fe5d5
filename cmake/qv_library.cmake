# qv_library(name deps...): a static library from every .cpp in the folder of that name.
# Sources are globbed so that adding a file never touches a shared list.
function(qv_library name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    foreach(dep ${ARGN})
      if(TARGET ${dep})
        target_link_libraries(${name} PUBLIC ${dep})
      endif()
    endforeach()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    foreach(dep ${ARGN})
      if(TARGET ${dep})
        target_link_libraries(${name} INTERFACE ${dep})
      endif()
    endforeach()
  endif()
endfunction()

# qv_wing(wing deps...): the library engine_<wing> from every .cpp in engine/<wing>. A wing
# links only the wings under it (and the door kit); engine/<wing>/CMakeLists.txt says which.
function(qv_wing wing)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/${wing}/*.cpp)
  add_library(engine_${wing} STATIC ${srcs})
  target_include_directories(engine_${wing} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(engine_${wing} PUBLIC ${ARGN})
endfunction()

# qv_test_folder(name libs...): one GoogleTest binary from every .cpp in tests/<name>.
function(qv_test_folder name)
  # A folder in parts (tests/engine/<wing>) is one program; the probes' mains stay out.
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/probe/")
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_link_libraries(${name}_tests PRIVATE testmain testsupport ${ARGN} GTest::gtest)
  if(QV_TEST_PCH)
    target_precompile_headers(${name}_tests REUSE_FROM testsupport)
  endif()
  # The environment the tests need. A list in the ENVIRONMENT property is split apart by test
  # discovery, so the variables are set by a launcher in front of the test binary instead.
  set_target_properties(${name}_tests PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;QV_BIN_DIR=${CMAKE_BINARY_DIR}/apps;QV_DATA_DIR=${CMAKE_SOURCE_DIR}/data;QV_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 60)
endfunction()
