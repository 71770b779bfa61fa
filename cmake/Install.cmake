# SPDX-License-Identifier: MIT
# Install rules and the Debian package (cpack -G DEB).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS qxdec qxenc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(QX_BUILD_QX)
  install(TARGETS qx RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(WIN32)
  return()
endif()

install(TARGETS qx1 qx1_static EXPORT qx1Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/qx1.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# pkg-config, relocatable: the prefix is found from the .pc file's own place.
file(RELATIVE_PATH QX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(packaging/qx1.pc.in ${CMAKE_BINARY_DIR}/qx1.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qx1.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# find_package(qx1) gives qx1::qx1 (shared) and qx1::qx1_static.
install(EXPORT qx1Targets NAMESPACE qx1:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qx1)
configure_package_config_file(packaging/qx1Config.cmake.in ${CMAKE_BINARY_DIR}/qx1Config.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qx1)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/qx1ConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/qx1Config.cmake ${CMAKE_BINARY_DIR}/qx1ConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qx1)

install(FILES man/qxdec.1 man/qxenc.1 man/qx.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES man/qx1.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
install(FILES packaging/completion/qx packaging/completion/qxenc
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES packaging/qx1.magic DESTINATION ${CMAKE_INSTALL_DATADIR}/qx1/magic RENAME qx1)
install(FILES packaging/qx1-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME qx1.xml)
install(DIRECTORY python/qx1 DESTINATION lib/python3/dist-packages PATTERN __pycache__ EXCLUDE)
# For preservation systems: the JSON schemas, format signatures for DROID,
# Siegfried and Tika, the ingest command's contract.
install(DIRECTORY docs/schema/ DESTINATION ${CMAKE_INSTALL_DATADIR}/qx1/schema)
install(DIRECTORY packaging/preservation/ DESTINATION ${CMAKE_INSTALL_DATADIR}/qx1/preservation)

set(CPACK_PACKAGE_NAME qx1)
set(CPACK_PACKAGE_VENDOR "qxdec developers")
set(CPACK_PACKAGE_CONTACT "qxdec developers <qxdec@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list, extract, test and create .qx1 (Quexel) archives")
set(CPACK_PACKAGE_DESCRIPTION "qx, qxdec and qxenc read and write .qx1 archives, a Japanese Windows archive format of the 1990s; libqx1 is the decoder as a C library, with a Python module.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3")
include(CPack)
