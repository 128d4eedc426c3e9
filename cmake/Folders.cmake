# One static library per source folder: qs_<folder>. Sources are every .cpp
# of the folder. DEPS are public (folders before it in the building order),
# PRIVATE_DEPS are outside libraries the folder's .cpp files use.
function(qs_folder name)
  cmake_parse_arguments(A "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(srcs)
    add_library(qs_${name} STATIC ${srcs})
    target_include_directories(qs_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qs_${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  else()
    add_library(qs_${name} INTERFACE)
    target_include_directories(qs_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(qs_${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# One test executable per folder, test_<name>, labelled <name>; every
# .cpp in tests/<name>/ belongs to it.
function(qs_tests name)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE qs_test_main ${A_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${name} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
