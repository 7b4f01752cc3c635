# Windows build (MinGW-w64): KVL.exe, and under KVL_TESTS the Wine integration tests,
# the end-to-end target program and the end-to-end tests.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

set(KVL_WIN_DEFINES UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Static runtime: the program needs no DLL beyond the system's.
set(KVL_WIN_LINK -static -static-libgcc -static-libstdc++)
# Only the system's known DLLs: anything else is loaded at run time from the system folder.
set(KVL_WIN_LIBS user32 gdi32 shell32 comctl32 advapi32 ole32 uuid)

target_compile_definitions(kvl_core PUBLIC ${KVL_WIN_DEFINES})

# The Win32 side, bottom to top.
set(KVL_WIN_SOURCES)
foreach(folder platform/win32 platform/win32/controls editor/win32 app/win32)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    list(APPEND KVL_WIN_SOURCES ${sources})
endforeach()
# WinMain is the program's alone; the test programs bring their own main.
list(FILTER KVL_WIN_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")

add_library(kvl_win32 STATIC ${KVL_WIN_SOURCES})
target_include_directories(kvl_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(kvl_win32 PRIVATE ${KVL_WARNINGS})
target_link_libraries(kvl_win32 PUBLIC kvl_core ${KVL_WIN_LIBS})

add_executable(KVL WIN32 src/app/win32/winmain.cpp src/platform/win32/resources/kvl.rc)
target_compile_options(KVL PRIVATE ${KVL_WARNINGS})
target_link_options(KVL PRIVATE ${KVL_WIN_LINK} -municode -s)
target_link_libraries(KVL PRIVATE kvl_win32)

# The user guide ships beside the program, as rich text the system's word processor opens.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/kvlhelp.doc
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/build_help.py
            ${CMAKE_SOURCE_DIR}/docs/kvlhelp.txt ${CMAKE_BINARY_DIR}/kvlhelp.doc
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/kvlhelp.txt ${CMAKE_SOURCE_DIR}/tools/build_help.py)
add_custom_target(kvlhelp ALL DEPENDS ${CMAKE_BINARY_DIR}/kvlhelp.doc)
include(cmake/dist.cmake)

if(KVL_TESTS)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

    set(KVL_WINE ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh run)

    # The window factory the end-to-end tests aim KVL at.
    add_executable(kvl_target WIN32 tests/e2e/target/target.cpp)
    target_compile_options(kvl_target PRIVATE ${KVL_WARNINGS})
    target_compile_definitions(kvl_target PRIVATE ${KVL_WIN_DEFINES})
    target_link_options(kvl_target PRIVATE ${KVL_WIN_LINK} -municode)
    target_link_libraries(kvl_target PRIVATE user32 gdi32 shell32)

    # Shared helpers of the Wine test programs (waiting, windows, registry, processes).
    add_library(kvl_wintest STATIC tests/win32/support/wintest.cpp)
    target_include_directories(kvl_wintest PUBLIC ${CMAKE_SOURCE_DIR}/tests/win32
                                                  ${CMAKE_SOURCE_DIR}/tests/unit)
    target_compile_options(kvl_wintest PRIVATE ${KVL_WARNINGS})
    target_link_libraries(kvl_wintest PUBLIC kvl_win32 gtest)

    # Few executables: Wine starts slowly, so each holds many cases.
    function(kvl_wine_test name)
        add_executable(${name} ${ARGN})
        target_compile_options(${name} PRIVATE ${KVL_WARNINGS})
        target_link_options(${name} PRIVATE ${KVL_WIN_LINK} -mconsole)
        target_link_libraries(${name} PRIVATE kvl_wintest gtest_main)
        add_test(NAME ${name} COMMAND ${KVL_WINE} ${CMAKE_BINARY_DIR}/${name}.exe)
    endfunction()

    file(GLOB KVL_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
    # The forms load their menus, texts and icons from the program's resources.
    kvl_wine_test(kvl_win32_tests ${KVL_WIN32_TEST_SOURCES}
                  ${CMAKE_SOURCE_DIR}/src/platform/win32/resources/forms.rc)
    add_dependencies(kvl_win32_tests kvl_target)  # the shell tests launch it

    # The forms once more on displays of other depths, each with an Xvfb and a prefix of its
    # own: 8 bits (256 colours) must bring up the plain layouts, 16 bits must not.
    foreach(depth 8 16)
        add_test(NAME kvl_win32_tests_depth${depth}
                 COMMAND ${KVL_WINE} ${CMAKE_BINARY_DIR}/kvl_win32_tests.exe
                         --gtest_filter=EditorTest.*:MainWindow.*)
        set_tests_properties(kvl_win32_tests_depth${depth} PROPERTIES
                             ENVIRONMENT KVL_WINE_DEPTH=${depth})
    endforeach()

    # And at 150 % on a display and prefix of their own (LogPixels 144): the forms grow with
    # the scale, every text whole.
    add_test(NAME kvl_win32_tests_dpi144
             COMMAND ${KVL_WINE} ${CMAKE_BINARY_DIR}/kvl_win32_tests.exe
                     --gtest_filter=EditorTest.*:MainWindow.*)
    set_tests_properties(kvl_win32_tests_dpi144 PROPERTIES ENVIRONMENT KVL_WINE_DPI=144)

    # Files planted beside KVL by someone else: a DLL and a program that note it when they
    # are loaded or started.
    add_library(kvl_marker SHARED tests/e2e/marker/marker.cpp tests/e2e/marker/marker.def)
    add_executable(kvl_marker_exe WIN32 tests/e2e/marker/marker.cpp)
    target_compile_definitions(kvl_marker PRIVATE KVL_MARKER_DLL ${KVL_WIN_DEFINES})
    target_compile_definitions(kvl_marker_exe PRIVATE ${KVL_WIN_DEFINES})
    set_target_properties(kvl_marker PROPERTIES PREFIX "")
    foreach(marker kvl_marker kvl_marker_exe)
        target_compile_options(${marker} PRIVATE ${KVL_WARNINGS})
        target_link_options(${marker} PRIVATE ${KVL_WIN_LINK})
    endforeach()
    target_link_options(kvl_marker_exe PRIVATE -municode)

    file(GLOB KVL_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
    kvl_wine_test(kvl_e2e_tests ${KVL_E2E_SOURCES})
    add_dependencies(kvl_e2e_tests KVL kvl_target kvl_marker kvl_marker_exe)

    # The zip as a user gets it: unpacked into a fresh folder, KVL.exe run from there.
    add_test(NAME kvl_zip COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/unpacked_zip.sh ${KVL_ZIP}
                                  ${CMAKE_BINARY_DIR}/kvl_e2e_tests.exe)

    # 77 is wine-env.sh's answer on a machine that cannot run this build's programs at all.
    set_tests_properties(kvl_win32_tests kvl_win32_tests_depth8 kvl_win32_tests_depth16
                         kvl_win32_tests_dpi144 kvl_e2e_tests kvl_zip
                         PROPERTIES SKIP_RETURN_CODE 77)

    # A prefix left by 64-bit Wine alone is made again before a 32-bit program runs in it.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        add_test(NAME kvl_prefix_rebuild
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/prefix_rebuild_test.sh
                         ${CMAKE_BINARY_DIR}/kvl_e2e_tests.exe)
        set_tests_properties(kvl_prefix_rebuild PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endif()
