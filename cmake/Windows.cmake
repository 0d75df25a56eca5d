# Windows build: the program, its Win32 half and the tests that run against real windows.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

set(BREVLO_SYSTEM_LIBS comctl32 shell32 ole32 oleaut32 uuid gdi32 user32 kernel32 comdlg32
    shlwapi msimg32)

add_library(brevlo_win STATIC ${BREVLO_WIN_SOURCES})
target_link_libraries(brevlo_win PUBLIC brevlo_core ${BREVLO_SYSTEM_LIBS})
target_compile_options(brevlo_win PRIVATE ${BREVLO_WARNINGS})

# Same sources, same bytes: no link time in the header, no build folder in the code.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

# The resources take the version from the generated header and manifest; windres tells the
# build nothing of what it reads, hence the explicit dependencies.
configure_file(${CMAKE_SOURCE_DIR}/res/Brevlo.manifest ${BREVLO_GENERATED_DIR}/Brevlo.exe.manifest
               @ONLY)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Brevlo.rc PROPERTIES OBJECT_DEPENDS
  "${BREVLO_GENERATED_DIR}/BrevloVersion.h;${BREVLO_GENERATED_DIR}/Brevlo.exe.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
enable_language(RC)
add_executable(Brevlo WIN32 ${CMAKE_SOURCE_DIR}/src/app/win32/main.cpp
               ${CMAKE_SOURCE_DIR}/res/Brevlo.rc)
target_link_libraries(Brevlo PRIVATE brevlo_win)
target_compile_options(Brevlo PRIVATE ${BREVLO_WARNINGS})
# What people download carries no symbols.
target_link_options(Brevlo PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
add_custom_command(TARGET Brevlo POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/res/art/DefaultPreview.THM
          $<TARGET_FILE_DIR:Brevlo>/DefaultPreview.THM)

# GoogleTest from the distribution's sources, cross-built.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(BREVLO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
add_subdirectory(${BREVLO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB BREVLO_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(BREVLO_WIN32_TESTS)
  # The conversion's real videos run here too: only this build has the H.264 encoder.
  add_executable(brevlo_win32_tests ${BREVLO_WIN32_TESTS} ${BREVLO_PORTABLE_SOURCES}
                 ${CMAKE_SOURCE_DIR}/tests/unit/ConversionTest.cpp
                 ${CMAKE_SOURCE_DIR}/tests/unit/SubtitleDrawingTest.cpp
                 ${CMAKE_SOURCE_DIR}/tests/support/JpegWriter.cpp ${CMAKE_SOURCE_DIR}/res/Brevlo.rc)
  target_include_directories(brevlo_win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(brevlo_win32_tests PRIVATE brevlo_win gtest)
  target_compile_options(brevlo_win32_tests PRIVATE ${BREVLO_WARNINGS})
  target_compile_definitions(brevlo_win32_tests PRIVATE BREVLO_TESTING=1
                             BREVLO_TEST_VIDEOS="${BREVLO_TEST_VIDEOS}")
  add_dependencies(brevlo_win32_tests brevlo_test_videos)
endif()

# The main window's fill timed in the real window (run by tools/bench-wine.sh).
add_executable(fill_bench ${CMAKE_SOURCE_DIR}/bench/win32/fill_bench.cpp)
target_link_libraries(fill_bench PRIVATE brevlo_win psapi)
target_compile_options(fill_bench PRIVATE ${BREVLO_WARNINGS})
