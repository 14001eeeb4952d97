# Installs Brivane like a Linux desktop program and packs it as a Debian package (cpack -G DEB).
# The program finds its help file in <exe dir>/../share/brivane; the launcher finds the program beside
# itself and the schema in the same data folder.
include(GNUInstallDirs)

set(BRIVANE_APP_ID org.example.Brivane)
set(BRIVANE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/brivane)
file(RELATIVE_PATH BRIVANE_BIN_TO_DATA /${CMAKE_INSTALL_BINDIR} /${BRIVANE_DATA_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/brivane-launch.in ${CMAKE_BINARY_DIR}/packaging/brivane-launch @ONLY)

install(TARGETS brivane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/brivane-launch DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/database/schema.sql ${CMAKE_SOURCE_DIR}/database/sample_data.sql
        DESTINATION ${BRIVANE_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/BRIVANE.HLP DESTINATION ${BRIVANE_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${BRIVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/brivane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${BRIVANE_APP_ID}.svg)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${BRIVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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
    "one SQLite database file, which the launcher keeps in the user's data folder.")
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

# Builds the package, unpacks it and checks what the desktop and the launcher see.
add_test(NAME test_package COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/test_package.sh ${CMAKE_BINARY_DIR}
                                   ${CMAKE_CPACK_COMMAND})
set_tests_properties(test_package PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8"
                                             TIMEOUT 120)
