# SPDX-License-Identifier: GPL-3.0-or-later
# Included for a Windows build: `cmake --install` makes the program's folder
# as the installer and the zip of scripts/windows ship it. The program finds
# its data folder, the Qt libraries and the MinGW runtime beside it, and the
# Qt plugins in the folders Qt looks for beside a program.
install(TARGETS tablora RUNTIME DESTINATION .)
install(DIRECTORY ${TABLORA_DIR}/data/ DESTINATION data PATTERN Tablora_Anleitung.pdf EXCLUDE)
install(FILES ${TABLORA_ANLEITUNG} DESTINATION data)
install(FILES ${TABLORA_QT_TEXTE} DESTINATION data/qt)
install(FILES ${TABLORA_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> DESTINATION imageformats)

# The C++ runtime of the compiler: libstdc++, libgcc, winpthreads.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE pfad OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${pfad}" OR NOT EXISTS "${pfad}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    install(FILES ${pfad} DESTINATION .)
endforeach()
