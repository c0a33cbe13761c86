# "cpack -G DEB" in a native build folder makes a Debian package of
# quenby-toc: the program, the regular-expression library it loads and its
# manual page, under /usr. Its dependencies are read from the files
# themselves (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME quenby-toc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR KRYN)
set(CPACK_PACKAGE_CONTACT "KRYN Quenby developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "create or remake the table of contents of HTML files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "create or remake the table of contents of HTML files
quenby-toc gives every heading of an HTML file a named anchor and writes a
nested list of links to them between two marker comments; a second run
replaces its own list. Everything else in the file stays byte for byte.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
