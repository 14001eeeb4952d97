# Installs Brivane like a Linux desktop program and packs it as a Debian package (cpack -G DEB).
# The program finds its help file in the data folder relative to its own folder (BuildConfig.h); the
# launcher finds the program beside itself and the schema in the same data folder.
set(BRIVANE_APP_ID org.example.Brivane)
configure_file(${CMAKE_SOURCE_DIR}/packaging/brivane-launch.in ${CMAKE_BINARY_DIR}/packaging/brivane-launch @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${BRIVANE_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${BRIVANE_APP_ID}.metainfo.xml @ONLY)

# The changelog's entry carries the release's date in the form Debian changelogs use.
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _date "${BRIVANE_RELEASE_DATE}")
if(NOT _date)
    message(FATAL_ERROR "BRIVANE_RELEASE_DATE must be YYYY-MM-DD, not \"${BRIVANE_RELEASE_DATE}\"")
endif()
set(_year ${CMAKE_MATCH_1})
math(EXPR _month "${CMAKE_MATCH_2} + 0")
math(EXPR _day "${CMAKE_MATCH_3} + 0")
# The weekday by Sakamoto's method (0 = Sunday).
set(_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR _index "${_month} - 1")
list(GET _offsets ${_index} _offset)
set(_y ${_year})
if(_month LESS 3)
    math(EXPR _y "${_y} - 1")
endif()
math(EXPR _weekday "(${_y} + ${_y} / 4 - ${_y} / 100 + ${_y} / 400 + ${_offset} + ${_day}) % 7")
set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _weekdays ${_weekday} _weekday_name)
list(GET _months ${_index} _month_name)
set(BRIVANE_RELEASE_DATE_RFC2822 "${_weekday_name}, ${CMAKE_MATCH_3} ${_month_name} ${_year} 12:00:00 +0000")
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/brivane.1.in ${CMAKE_BINARY_DIR}/packaging/brivane.1 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/brivane-copy-to-server.1.in
               ${CMAKE_BINARY_DIR}/packaging/brivane-copy-to-server.1 @ONLY)
# One page tells of the program and its launcher.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/brivane-launch.1 ".so man1/brivane.1\n")
# Compressed as Debian wants them: best compression, no name or time stamp in the header, so the same text
# always gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(file changelog brivane.1 brivane-launch.1 brivane-copy-to-server.1)
    execute_process(COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_BINARY_DIR}/packaging/${file}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${file}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(TARGETS brivane brivane-copy-to-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/brivane-launch DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/database/schema.sql ${CMAKE_SOURCE_DIR}/database/sample_data.sql
              ${CMAKE_SOURCE_DIR}/database/schema-postgresql.sql DESTINATION ${BRIVANE_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/BRIVANE.HLP DESTINATION ${BRIVANE_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${BRIVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/brivane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${BRIVANE_APP_ID}.svg)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${BRIVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/brivane.1.gz ${CMAKE_BINARY_DIR}/packaging/brivane-launch.1.gz
              ${CMAKE_BINARY_DIR}/packaging/brivane-copy-to-server.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brivane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brivane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brivane developers")
set(CPACK_PACKAGE_CONTACT "Brivane developers <brivane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recipe management for industrial formulations")
set(CPACK_PACKAGE_DESCRIPTION
    "Brivane keeps a list of starting materials with their prices per kg,\n"
    "builds products from recipe lines and computes each product's total mass\n"
    "and price per kg. It analyses a product's cost, reports on the component\n"
    "list, exports the lists as text and prints price lists. All data lives in\n"
    "one SQLite database file, which the launcher keeps in the user's data folder,\n"
    "or for a team on a PostgreSQL server.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/brivane)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, not linked: the sqlite3 shell makes the first database, Qt's SVG plugins draw the
# icon, and Liberation Mono stands in for "Courier New" on printed lists.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "sqlite3, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)

# Builds the package, unpacks it and checks what the desktop and the launcher see; only when asked, as it
# needs the packaging tools and makes a .deb on every run.
if(BUILD_TESTING AND BRIVANE_PACKAGE_TEST)
    add_test(NAME test_package COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/test_package.sh ${CMAKE_BINARY_DIR}
                                       ${CMAKE_CPACK_COMMAND})
    set_tests_properties(test_package PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8"
                                                 TIMEOUT 120)
endif()
