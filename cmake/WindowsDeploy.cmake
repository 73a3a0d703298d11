# The folder a Windows user runs Quorrel from, laid out by `cmake --install` (windeployqt is
# not at hand): the two programs, the Qt DLLs they load, the platform, style and image format
# plugins, and the DLLs of the compiler's runtime that Qt's DLLs were linked with. The
# programs themselves carry their own runtime (linked statically).
get_target_property(quorrel_qt_core_dll Qt5::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(quorrel_qt_bin ${quorrel_qt_core_dll} DIRECTORY)
get_filename_component(quorrel_qt_root ${quorrel_qt_bin} DIRECTORY)
install(FILES ${quorrel_qt_bin}/Qt5Core.dll ${quorrel_qt_bin}/Qt5Gui.dll
              ${quorrel_qt_bin}/Qt5Widgets.dll DESTINATION .)
install(FILES ${quorrel_qt_root}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${quorrel_qt_root}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
install(DIRECTORY ${quorrel_qt_root}/plugins/imageformats/ DESTINATION imageformats
        FILES_MATCHING PATTERN "*.dll")

# The runtime DLLs, from the compiler's own folders.
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE quorrel_runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${quorrel_runtime_dll}" OR NOT EXISTS "${quorrel_runtime_dll}")
        message(FATAL_ERROR "The compiler does not know where ${dll} is")
    endif()
    install(FILES ${quorrel_runtime_dll} DESTINATION .)
endforeach()
# `cmake --install --strip` strips the runtime DLLs too: the compiler's copies carry their
# debugging information (libstdc++ 21 MB of it).
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                    \"\${CMAKE_INSTALL_PREFIX}/\${dll}\")
        endforeach()
    endif()")
