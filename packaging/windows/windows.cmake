# The Windows release: both programs with their icon and version information,
# the toolkit's libraries and plugins that they load, the example bank, the
# licences and a short README.txt, installed into one folder that the zip
# and the installer (installer.nsi) are made from.
set(DRILL_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})

# Icons in the sizes Windows shows, from the program's scalable icon.
find_program(DRILL_CONVERT NAMES convert REQUIRED)
set(DRILL_ICON ${CMAKE_BINARY_DIR}/physics-drill.ico)
add_custom_command(
    OUTPUT ${DRILL_ICON}
    COMMAND ${DRILL_CONVERT} -background none -density 384 ${PROJECT_SOURCE_DIR}/packaging/physics-drill.svg
            -define icon:auto-resize=256,64,48,32,16 ${DRILL_ICON}
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

# (The folders of the toolkit and the compiler's libraries are found in
# wine.cmake.) The libraries come from reading the programs' and the plugins' imports, so
# the list cannot go stale: what is found beside the toolkit or the compiler
# is copied; the rest must be Windows' own.
foreach(plugin ${DRILL_QT_PLUGINS})
    list(APPEND DRILL_PLUGIN_FILES ${DRILL_QT_PREFIX}/plugins/${plugin})
endforeach()
install(CODE "
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${CMAKE_OBJDUMP})
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES $<TARGET_FILE:physics-drill> $<TARGET_FILE:physics-drill-report>
        MODULES ${DRILL_PLUGIN_FILES}
        DIRECTORIES ${DRILL_RUNTIME_DIRS}
        RESOLVED_DEPENDENCIES_VAR resolved
        UNRESOLVED_DEPENDENCIES_VAR system
        CONFLICTING_DEPENDENCIES_PREFIX twice)
    # A library found in more than one of the folders: the first folder wins,
    # as the toolkit's own folder comes first.
    foreach(name \${twice_FILENAMES})
        list(GET twice_\${name} 0 first)
        list(APPEND resolved \${first})
    endforeach()
    file(INSTALL \${resolved} DESTINATION \${CMAKE_INSTALL_PREFIX})
    list(SORT system)
    message(STATUS \"Windows' own libraries: \${system}\")
")
