# The window's tests built for Windows and run under Wine in the build's prefix, each program
# twice: on Qt's offscreen platform, and on the windows platform (Wine's own windows, on the
# X server test-win32.sh starts). Wine hides the QT_* variables from Windows programs, so
# they are given as WINEQT_*; QtTest writes to the debugger without a console unless told to
# write to standard error. The DLLs the tests load lie beside them, as in the program's folder;
# the plugins are found in the Qt folder itself.
get_target_property(quorrel_qt_core_dll Qt5::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(quorrel_qt_bin ${quorrel_qt_core_dll} DIRECTORY)
get_filename_component(quorrel_qt_root ${quorrel_qt_bin} DIRECTORY)
set(quorrel_test_dlls ${quorrel_qt_bin}/Qt5Core.dll ${quorrel_qt_bin}/Qt5Gui.dll
    ${quorrel_qt_bin}/Qt5Widgets.dll ${quorrel_qt_bin}/Qt5Test.dll)
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE quorrel_runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND quorrel_test_dlls ${quorrel_runtime_dll})
endforeach()
file(COPY ${quorrel_test_dlls} DESTINATION ${CMAKE_CURRENT_BINARY_DIR})
set(quorrel_wine_env
    "WINEQT_PLUGIN_PATH=Z:${quorrel_qt_root}/plugins"
    "WINEQT_QPA_FONTDIR=C:/windows/Fonts"
    "WINEQT_FORCE_STDERR_LOGGING=1"
    "WINEQT_FATAL_WARNINGS=0")
# The suites that pass under Wine on both platforms. The others are not made for Windows yet:
# the settings suites read the settings as the Linux INI file (app_options, app_settings,
# app_startup, app_tip_about, frame_bar_state, frame_placement: on Windows they are in the
# registry), some build their cases with POSIX calls (frame_run_window, frame_runs,
# frame_runs_folder, frame_runs_recycle, list_commandline, list_wipelist) or Linux paths
# (list_view, frame_runs_free_space, frame_status, toolkit_tip_of_the_day), and app_file_dialog
# waits for ever on the offscreen platform and toolkit_outbar fails on the windows one.
set(quorrel_windows_gui_suites app_message_box frame_commands frame_contextmenu frame_outbar
    frame_outputbar list_sort toolkit_dock_state)
set(gui_tests)
foreach(suite ${quorrel_windows_gui_suites})
    list(APPEND gui_tests ${CMAKE_CURRENT_SOURCE_DIR}/${suite}_test.cpp)
endforeach()
# Every test of the window shares the prefix's one registry (the program's settings live there
# on Windows): they run one at a time.
foreach(source ${gui_tests})
    get_filename_component(name ${source} NAME_WE)
    add_executable(gui_${name} ${source})
    add_dependencies(gui_tests gui_${name})
    target_include_directories(gui_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(gui_${name} PRIVATE quorrel_shell ${QUORREL_QT}::Test)
    quorrel_isolate_test(gui_${name})
    foreach(platform offscreen windows)
        add_test(NAME gui_${name}_${platform} COMMAND gui_${name})
        set_tests_properties(gui_${name}_${platform} PROPERTIES
            LABELS gui
            TIMEOUT 180
            RUN_SERIAL TRUE
            ENVIRONMENT "${quorrel_wine_env};WINEQT_QPA_PLATFORM=${platform}")
    endforeach()
endforeach()
