# SPDX-License-Identifier: MIT
# Install rules; scripts/make-debs.sh makes the Debian packages from them.
# On a multiarch system the library goes to lib/<triplet> under any prefix:
# Debian's loader and pkg-config search /usr/local/lib/<triplet> too.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "object code libraries (LIBDIR)")
endif()
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

# pkg-config, written at install time with the prefix installed to (which
# cmake --install --prefix may change), so that it names plain paths.
install(CODE "
  set(QX_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(CMAKE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  set(PROJECT_VERSION ${PROJECT_VERSION})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/qx1.pc.in
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/qx1.pc\" @ONLY)
")

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

# cmake --build BUILD --target deb: the four Debian packages in BUILD/debs,
# with the page when QX_PAGE names it (the test suite tests it too).
set(QX_PAGE "" CACHE FILEPATH "the single-file page qx1.html (emcmake build-web), to package and test")
find_program(QX_DPKG_DEB dpkg-deb)
if(QX_DPKG_DEB)
  add_custom_target(deb COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-debs.sh ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/debs ${QX_PAGE}
    DEPENDS qx1 qx1_static qxdec qxenc $<$<BOOL:${QX_BUILD_QX}>:qx> USES_TERMINAL)
endif()
