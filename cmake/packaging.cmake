# Packages, made by CPack from the install rules: in a Linux build `cpack -G DEB` makes
# tessary_VERSION_ARCH.deb (the window with its .desktop file and icons, tessary-cli, their man
# pages, the README and the copyright file; dependencies found by dpkg-shlibdeps); in the Windows build `cpack -G ZIP`
# makes tessary-VERSION-windows-x86_64.zip (tessary-cli.exe, the README, the licence, the example sheet).
set(CPACK_PACKAGE_NAME tessary)
set(CPACK_PACKAGE_VENDOR Tessary)
set(CPACK_PACKAGE_VERSION ${TESSARY_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(FILES README.md LICENSE DESTINATION .)
  install(FILES examples/sheet.chr DESTINATION examples)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tessary-${TESSARY_VERSION_TEXT}-windows-x86_64)
else()
  include(GNUInstallDirs)
  set(_mans)
  foreach(_page tessary-cli tessary)
    set(_man ${CMAKE_CURRENT_BINARY_DIR}/${_page}.1.gz)
    add_custom_command(OUTPUT ${_man}
      COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/docs/${_page}.1 > ${_man}
      DEPENDS docs/${_page}.1)
    list(APPEND _mans ${_man})
  endforeach()
  add_custom_target(man_page ALL DEPENDS ${_mans})
  install(FILES ${_mans} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessary)
  install(FILES docs/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessary)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessary developers <tessary@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessary turns a byte range of a raw graphics file into assembler source: 8x8 one-bit\n"
    "tiles as .db rows with label lines, also 8x12 masked and 16x16 tiles. It comes as a\n"
    "small window, tessary, and a command line for build scripts, tessary-cli.")
endif()
include(CPack)
