# The Windows release: both programs with their icon and version information,
# the toolkit's libraries and plugins that they load, the example bank, the
# licences and a short README.txt, installed into one folder that the zip
# and the installer (installer.nsi) are made from.
set(DRILL_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})

# Icons in the sizes Windows shows, drawn from the program's scalable icon
# and put together in one icon file.
find_program(DRILL_RSVG_CONVERT NAMES rsvg-convert REQUIRED)
find_program(DRILL_ICOTOOL NAMES icotool REQUIRED)
set(DRILL_ICON ${CMAKE_BINARY_DIR}/physics-drill.ico)
set(DRILL_ICON_SIZES 16 24 32 48 64 256)
set(DRILL_ICON_COMMANDS)
set(DRILL_ICON_PNGS)
foreach(size ${DRILL_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icon/physics-drill-${size}.png)
    list(APPEND DRILL_ICON_COMMANDS COMMAND ${DRILL_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
         ${PROJECT_SOURCE_DIR}/packaging/physics-drill.svg)
    list(APPEND DRILL_ICON_PNGS ${png})
endforeach()
add_custom_command(
    OUTPUT ${DRILL_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
    ${DRILL_ICON_COMMANDS}
    COMMAND ${DRILL_ICOTOOL} -c -o ${DRILL_ICON} ${DRILL_ICON_PNGS}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/physics-drill.svg
    VERBATIM)
add_custom_target(drill_icon DEPENDS ${DRILL_ICON})

function(drill_windows_resources program description)
    set(DRILL_PROGRAM ${program})
    set(DRILL_DESCRIPTION ${description})
    configure_file(${DRILL_WINDOWS_DIR}/version.rc.in ${CMAKE_BINARY_DIR}/${program}.rc @ONLY)
    target_sources(${program} PRIVATE ${CMAKE_BINARY_DIR}/${program}.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/${program}.rc PROPERTIES OBJECT_DEPENDS ${DRILL_ICON})
    add_dependencies(${program} drill_icon)
endfunction()

drill_windows_resources(physics-drill "Physics Drill: assignments of questions and worked answers, with records")
drill_windows_resources(physics-drill-report "Physics Drill report: a class's records in one page")
# The drill program has a window and no console; the report program is run
# from a command prompt.
set_target_properties(physics-drill PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS physics-drill physics-drill-report RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/examples/graphs-and-rates.drillbank DESTINATION examples)
install(FILES ${DRILL_EXAMPLE_PICTURES} DESTINATION examples)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${DRILL_WINDOWS_DIR}/README.txt DESTINATION .)

# The toolkit's plugins that the programs load: the window system, the
# offscreen platform that the tests use, the native style and JPEG.
set(DRILL_QT_PLUGINS
    platforms/qwindows.dll
    platforms/qoffscreen.dll
    styles/qwindowsvistastyle.dll
    imageformats/qjpeg.dll)
foreach(plugin ${DRILL_QT_PLUGINS})
    get_filename_component(folder ${plugin} DIRECTORY)
    install(FILES ${DRILL_QT_PREFIX}/plugins/${plugin} DESTINATION ${folder})
endforeach()
install(DIRECTORY ${DRILL_QT_PREFIX}/licenses/ DESTINATION licenses/qt)
foreach(plugin ${DRILL_QT_PLUGINS})
    list(APPEND DRILL_PLUGIN_FILES ${DRILL_QT_PREFIX}/plugins/${plugin})
endforeach()
foreach(folder ${DRILL_RUNTIME_EXTRA_DIRS})
    install(DIRECTORY ${folder}/../licenses/ DESTINATION licenses OPTIONAL)
endforeach()
# The compiler's runtime (libgcc, libstdc++, winpthreads) and zlib come
# with their Debian copyright files.
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licenses RENAME gcc-runtime-copyright.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright DESTINATION licenses RENAME mingw-w64-copyright.txt)
install(FILES /usr/share/doc/libz-mingw-w64/copyright DESTINATION licenses RENAME zlib-copyright.txt)

# The libraries that the programs load come with them (the folders of the
# toolkit's and the compiler's libraries are found in wine.cmake).
install(CODE "
    set(DRILL_OBJDUMP ${CMAKE_OBJDUMP})
    set(DRILL_RUNTIME_DIRS ${DRILL_RUNTIME_DIRS})
    set(DRILL_PE_FILES $<TARGET_FILE:physics-drill> $<TARGET_FILE:physics-drill-report> ${DRILL_PLUGIN_FILES})
    set(DRILL_DESTINATION \${CMAKE_INSTALL_PREFIX})
    include(${DRILL_WINDOWS_DIR}/runtime-libraries.cmake)
")
# Without their symbols: the compiler's own libstdc++ alone carries 23 MB
# of them.
install(CODE "
    file(GLOB_RECURSE binaries \${CMAKE_INSTALL_PREFIX}/*.dll \${CMAKE_INSTALL_PREFIX}/*.exe)
    foreach(binary \${binaries})
        execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded \${binary} RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR \"cannot strip \${binary}\")
        endif()
    endforeach()
")
