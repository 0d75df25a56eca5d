# Native build: the portable core, its adapters, the generators and the unit tests.
add_library(brevlo_portable STATIC ${BREVLO_PORTABLE_SOURCES})
target_link_libraries(brevlo_portable PUBLIC brevlo_core)
target_compile_options(brevlo_portable PRIVATE ${BREVLO_WARNINGS})

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB BREVLO_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(brevlo_unit_tests ${BREVLO_UNIT_TESTS} ${CMAKE_SOURCE_DIR}/tests/support/JpegWriter.cpp)
target_include_directories(brevlo_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(brevlo_unit_tests PRIVATE brevlo_portable GTest::gtest_main)
target_compile_options(brevlo_unit_tests PRIVATE ${BREVLO_WARNINGS})
target_compile_definitions(brevlo_unit_tests PRIVATE
  BREVLO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" BREVLO_TEST_VIDEOS="${BREVLO_TEST_VIDEOS}")
add_dependencies(brevlo_unit_tests brevlo_test_videos)
gtest_discover_tests(brevlo_unit_tests DISCOVERY_TIMEOUT 60)

file(GLOB BREVLO_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/main.cpp)
foreach(tool_main IN LISTS BREVLO_TOOLS)
  get_filename_component(tool_dir ${tool_main} DIRECTORY)
  get_filename_component(tool_name ${tool_dir} NAME)
  file(GLOB tool_sources CONFIGURE_DEPENDS ${tool_dir}/*.cpp)
  add_executable(${tool_name} ${tool_sources})
  target_link_libraries(${tool_name} PRIVATE brevlo_portable)
  target_compile_options(${tool_name} PRIVATE ${BREVLO_WARNINGS})
endforeach()

file(GLOB BREVLO_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
foreach(bench_src IN LISTS BREVLO_BENCHES)
  get_filename_component(bench_name ${bench_src} NAME_WE)
  add_executable(${bench_name} ${bench_src} ${CMAKE_SOURCE_DIR}/tests/support/JpegWriter.cpp)
  target_include_directories(${bench_name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${bench_name} PRIVATE brevlo_portable)
  target_compile_options(${bench_name} PRIVATE ${BREVLO_WARNINGS})
  target_compile_definitions(${bench_name} PRIVATE BREVLO_TEST_VIDEOS="${BREVLO_TEST_VIDEOS}")
  add_dependencies(${bench_name} brevlo_test_videos)
endforeach()

add_test(NAME artwork_up_to_date COMMAND artgen --check ${CMAKE_SOURCE_DIR}/res/art)

# The unit tests read the built-in skin's artwork straight from the generator's drawing code.
file(GLOB BREVLO_ARTGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/artgen/*.cpp)
list(FILTER BREVLO_ARTGEN_SOURCES EXCLUDE REGEX "/main\\.cpp$")
target_sources(brevlo_unit_tests PRIVATE ${BREVLO_ARTGEN_SOURCES})
target_include_directories(brevlo_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools)
