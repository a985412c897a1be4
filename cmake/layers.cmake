# One static library per layer, made of every .cpp in the layer's folder (not
# its subfolders), so adding a file never needs an edit here.
function(vyx_layer name)
  cmake_parse_arguments(L "" "" "DEPS;EXTRA_SOURCES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(vyx_${name} STATIC ${srcs} ${L_EXTRA_SOURCES})
  target_include_directories(vyx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(vyx_${name} PUBLIC ${L_DEPS} Threads::Threads)
endfunction()

# One GoogleTest executable per test area: every .cpp of tests/<area>/. Shared
# fakes live in tests/support/ (header-only, or listed in DEPS as a library).
function(vyx_test_area area)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(test_${area} ${srcs})
  target_include_directories(test_${area} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${area} PRIVATE ${T_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${area} COMMAND test_${area})
  set_tests_properties(${area} PROPERTIES TIMEOUT 900)
endfunction()
