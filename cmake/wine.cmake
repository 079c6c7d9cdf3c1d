# SPDX-License-Identifier: GPL-3.0-or-later
# Included for a Windows build on Linux: Windows programs of this build run
# under Wine, through build/.../wine.sh, which ctest puts before every test
# program and the manual's custom command before the manual tool. The wrapper
# finds the Qt and MinGW libraries (WINEPATH), Linux programs such as
# pdftotext by their bare names, and the fonts of the offscreen platform,
# which on Windows reads a folder instead of asking the system.
if(CMAKE_CROSSCOMPILING_EMULATOR)
    return()
endif()
find_program(TABLORA_WINE wine)
if(NOT TABLORA_WINE)
    message(FATAL_ERROR "A Windows build on Linux runs its manual tool and tests under Wine: install wine and wine64")
endif()

# Windows paths of this machine's folders: Wine's drive Z: is /.
function(tablora_wine_pfad var unix)
    string(REPLACE "/" "\\" pfad "Z:${unix}")
    set(${var} "${pfad}" PARENT_SCOPE)
endfunction()

find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(tablora_qtcore Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT tablora_qtcore)
    get_target_property(tablora_qtcore Qt6::Core LOCATION)
endif()
get_filename_component(tablora_qt_bin ${tablora_qtcore} DIRECTORY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE tablora_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE tablora_winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
set(TABLORA_WINE_PFAD)
foreach(ordner ${tablora_qt_bin} ${tablora_libstdcxx} ${tablora_winpthread} /usr/bin)
    if(NOT IS_DIRECTORY ${ordner})
        get_filename_component(ordner ${ordner} DIRECTORY)
    endif()
    tablora_wine_pfad(p ${ordner})
    list(APPEND TABLORA_WINE_PFAD "${p}")
endforeach()
# A list: its semicolons separate the folders of WINEPATH as well.

# The fonts the window, the PDFs and the manual are laid out in, as on Debian.
set(tablora_schriften ${CMAKE_CURRENT_BINARY_DIR}/wine/schriften)
file(GLOB tablora_schriftdateien
    /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf
    /usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf
    /usr/share/fonts/truetype/noto/NotoSansArabic-Bold.ttf
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
    /usr/share/fonts/truetype/dejavu/DejaVuSans-*.ttf)
file(MAKE_DIRECTORY ${tablora_schriften})
foreach(datei ${tablora_schriftdateien})
    get_filename_component(name ${datei} NAME)
    file(CREATE_LINK ${datei} ${tablora_schriften}/${name} SYMBOLIC)
endforeach()
tablora_wine_pfad(TABLORA_WINE_SCHRIFTEN ${tablora_schriften})

set(TABLORA_WINE_PRAEFIX ${CMAKE_CURRENT_BINARY_DIR}/wine/prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine.sh.in ${CMAKE_CURRENT_BINARY_DIR}/wine.sh
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_BINARY_DIR}/wine.sh)
