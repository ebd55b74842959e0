# Installation and the Debian package. `cmake --install` puts the programs,
# the desktop entry, the icon, the software-centre metadata, the file type of
# question banks (*.drillbank, which the desktop entry opens), the example
# bank, the manual pages and the licence files where a Linux desktop and
# Debian look for them; `cpack -G DEB` in the build folder makes the package
# from the same rules.
include(GNUInstallDirs)

set(DRILL_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(DRILL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/physics-drill)

install(TARGETS physics-drill physics-drill-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DRILL_PACKAGING_DIR}/physics-drill.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DRILL_PACKAGING_DIR}/physics-drill.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${DRILL_PACKAGING_DIR}/org.example.physics_drill.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DRILL_PACKAGING_DIR}/physics-drill-bank.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME physics-drill.xml)
# The example bank's picture sits beside it, where its routine line finds it.
install(FILES ${PROJECT_SOURCE_DIR}/examples/graphs-and-rates.drillbank ${DRILL_EXAMPLE_PICTURES}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/physics-drill/examples)
install(FILES ${DRILL_PACKAGING_DIR}/copyright DESTINATION ${DRILL_DOC_DIR})

# Debian wants the changelog and the manual pages compressed, without a time
# stamp in the gzip header so that two builds give the same bytes.
function(drill_gzip source output)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}.plain
        COMMAND gzip -9nf ${output}.plain
        COMMAND ${CMAKE_COMMAND} -E rename ${output}.plain.gz ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

drill_gzip(${DRILL_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(drill_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${DRILL_DOC_DIR})

# Manual pages are made from the programs' own --help and --version by
# help2man, with the hand-written sections of packaging/<program>.h2m, so
# the options in a page are always those of the program. The sanitizer and
# fuzz builds make none: running their programs at build time would bring
# the sanitizers' own reports into the pages.
find_program(HELP2MAN help2man)
function(drill_man_page program description)
    if(DRILL_SANITIZE OR DRILL_FUZZ)
        return()
    endif()
    if(NOT HELP2MAN)
        message(WARNING "help2man not found: no manual page for ${program}")
        return()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN} --no-info --section=1 --name=${description}
                --include=${DRILL_PACKAGING_DIR}/${program}.h2m --output=${page} $<TARGET_FILE:${program}>
        DEPENDS ${program} ${DRILL_PACKAGING_DIR}/${program}.h2m
        VERBATIM)
    drill_gzip(${page} ${page}.gz)
    add_custom_target(${program}_man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

drill_man_page(physics-drill "drill program for the course Physics II")
drill_man_page(physics-drill-report "read a class's drill record files into pages, a spreadsheet and a gradebook")

set(CPACK_PACKAGE_NAME physics-drill)
set(CPACK_PACKAGE_VENDOR "Physics Drill developers")
set(CPACK_PACKAGE_CONTACT "Physics Drill developers <physics-drill@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drill program for the course Physics II")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${DRILL_PACKAGING_DIR}/description)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# The Qt libraries, the SVG one for a bank's pictures among them, and the
# zip library of the report program come from the libraries the programs
# link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
include(CPack)
