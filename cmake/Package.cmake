# The Debian package, made by `cpack -G DEB` (or the package target) after the
# build: what `cmake --install` puts in place, under /usr. The packages of Qt,
# giflib and libjpeg it depends on are those dpkg-shlibdeps finds the programs
# linked to; the tool's own libraries it finds in lib/qlr-learn/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qlr-learn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QLR-815 developers <qlr815@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-learning tool for the QLR-815 USB learning remote")
set(CPACK_PACKAGE_DESCRIPTION
    "Teaches the keys of a QLR-815 USB learning remote the infrared codes of an original remote, \
and keeps what the remote holds. Comes with a virtual QLR-815, qlr-remote, to use the tool \
without the hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QLR_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
# Some of the tool's messages are Chinese, which this font shows; bash-completion
# loads the completion of qlr-remote.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, bash-completion")
# cpack packs what is built: it does not build the whole tree, tests and
# benches included, first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
