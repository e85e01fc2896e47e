# Installation and packages: `make install` anywhere, a .deb for Debian and Raspberry Pi OS, a
# .zip for Windows. The component "debian" holds what only the .deb carries.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME program)

if(WIN32)
  enable_language(RC)
  configure_file(src/driver/parcelo.rc.in ${CMAKE_BINARY_DIR}/parcelo.rc @ONLY)
  target_sources(parcelo PRIVATE ${CMAKE_BINARY_DIR}/parcelo.rc)
  install(TARGETS parcelo RUNTIME DESTINATION .)
  install(FILES LICENSE README.md data/sample-area.json DESTINATION .)
  install(FILES docs/guide.en.md docs/guide.ja.md DESTINATION docs)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  # The manual pages, English and Japanese, in the form they are installed in.
  set(manual_pages)
  foreach(page man1/parcelo.1 ja/man1/parcelo.1)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
    set(built ${CMAKE_BINARY_DIR}/man/${page})
    add_custom_command(OUTPUT ${built} ${built}.gz
      COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/make-manual.sh ${source} ${built} ${PROJECT_VERSION}
      DEPENDS ${source} ${PROJECT_SOURCE_DIR}/scripts/make-manual.sh)
    list(APPEND manual_pages ${built})
    get_filename_component(section ${page} DIRECTORY)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man/${section})
    install(FILES ${built}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${section})
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
  find_program(GROFF groff)
  if(PARCELO_TESTS AND GROFF)
    add_test(NAME manual_pages COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/check-manuals.sh
      ${manual_pages})
  endif()

  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
  add_custom_target(changelog ALL DEPENDS ${changelog})

  install(TARGETS parcelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES README.md data/sample-area.json DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The README's links lead into docs/ beside it.
  install(FILES docs/guide.en.md docs/guide.ja.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
  # Debian keeps the licence in the copyright file; other systems get the file itself.
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT licence)
  install(FILES packaging/debian/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR}
    COMPONENT debian)
  # The overrides of every .deb, and that for a static program only in the .deb whose program is.
  file(READ packaging/debian/lintian-overrides overrides)
  if(PARCELO_STATIC)
    file(READ packaging/debian/lintian-overrides-static static_overrides)
    string(APPEND overrides "${static_overrides}")
  endif()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/lintian-overrides CONTENT "${overrides}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
    ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides-static)
  install(FILES ${CMAKE_BINARY_DIR}/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME parcelo COMPONENT debian)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # One package of the program and the Debian files; the components only keep them apart.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL program debian)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(PARCELO_DEB_ARCHITECTURE)  # a cross build names the processor it is for
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PARCELO_DEB_ARCHITECTURE})
  endif()
endif()
set(CPACK_PACKAGE_NAME parcelo)
set(CPACK_PACKAGE_VENDOR "Parcelo developers")
set(CPACK_PACKAGE_CONTACT "Parcelo developers <parcelo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split the JMA area-code list into small files for M5Stack boards")
set(CPACK_PACKAGE_DESCRIPTION "The Japan Meteorological Agency publishes its forecast areas (regional
centres, forecast offices, primary and intermediate subdivisions,
municipalities) as one large JSON document, too large for a small
microcontroller board. parcelo reads it and writes a small index of the
centres and their offices, plus one small file per forecast office that
lists its municipalities with the primary subdivision that holds each,
so that a board of the M5Stack family loads only what it needs.")
set(CPACK_STRIP_FILES ON)
include(CPack)
