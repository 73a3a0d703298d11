# The tests of the Windows build: GoogleTest built from Debian's sources for the target, and
# every test program started under Wine, in a Wine prefix of the build's own (never the user's
# ~/.wine): that prefix, with its drive C:, registry and recycle bin, is the throw-away machine
# the tests run on.
set(QUORREL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built for the target")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUORREL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(QUORREL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(QUORREL_TEST_LAUNCHER bash ${CMAKE_CURRENT_SOURCE_DIR}/harness/run_wine.sh
    ${QUORREL_WINE_PREFIX})

# Makes `target` a test program that CTest (and gtest_discover_tests) starts under Wine in the
# build's prefix.
function(quorrel_isolate_test target)
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${QUORREL_TEST_LAUNCHER})
endfunction()

add_subdirectory(unit)
if(QUORREL_GUI)
    add_subdirectory(gui)
endif()

# quorrel-shred.exe destroys files in place on a loop-mounted image given to Wine as a drive.
if(QUORREL_ASSURANCE)
    add_test(NAME assurance_win32_ext4
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/assurance/run_win32_assurance.sh
                     $<TARGET_FILE:quorrel-shred> ${QUORREL_WINE_PREFIX})
    set_tests_properties(assurance_win32_ext4 PROPERTIES
        LABELS assurance SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# POSIX links on a drive Wine maps, which Wine shows as plain files: never acted through.
add_test(NAME win32_links
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win32/run_links_test.sh
                 $<TARGET_FILE:quorrel-shred> ${QUORREL_WINE_PREFIX})
set_tests_properties(win32_links PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
