# A cross build for Windows runs its tests under wine, through a small script
# that gives wine the build's own prefix and the folders of the libraries.
set(DRILL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "The wine prefix in which the tests run")
get_target_property(DRILL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(DRILL_QT_BIN ${DRILL_QT_CORE_DLL} DIRECTORY)
get_filename_component(DRILL_QT_PREFIX ${DRILL_QT_BIN} DIRECTORY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE DRILL_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(DRILL_COMPILER_RUNTIME ${DRILL_LIBSTDCXX} DIRECTORY)
# Libraries built beside the toolkit (the zip library) are named by the build.
set(DRILL_RUNTIME_EXTRA_DIRS "" CACHE STRING "More folders of Windows libraries that the programs load")
set(DRILL_MINGW_ROOT /usr/x86_64-w64-mingw32)
set(DRILL_RUNTIME_DIRS ${DRILL_QT_BIN} ${DRILL_RUNTIME_EXTRA_DIRS} ${DRILL_COMPILER_RUNTIME} ${DRILL_MINGW_ROOT}/lib
    ${DRILL_MINGW_ROOT}/bin)

function(drill_wine_path output)
    set(paths)
    foreach(path ${ARGN})
        string(REPLACE "/" "\\" path "Z:${path}")
        list(APPEND paths "${path}")
    endforeach()
    string(REPLACE ";" "\\;" paths "${paths}")
    set(${output} "${paths}" PARENT_SCOPE)
endfunction()
drill_wine_path(DRILL_WINEPATH ${DRILL_RUNTIME_DIRS})
drill_wine_path(DRILL_WINE_PLUGINS ${DRILL_QT_PREFIX}/plugins)
string(REPLACE "\\;" ";" DRILL_WINEPATH "${DRILL_WINEPATH}")
# Tests without a display draw text with the toolkit's own font files, which
# a Windows build looks for in one folder: there the metric twin of the
# window's Arial, which wine lacks.
file(GLOB DRILL_ARIAL_TWIN /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf)
file(COPY ${DRILL_ARIAL_TWIN} DESTINATION ${CMAKE_BINARY_DIR}/wine-fonts)
drill_wine_path(DRILL_WINE_FONTS ${CMAKE_BINARY_DIR}/wine-fonts)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
