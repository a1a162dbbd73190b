# Installation and the Debian package.
#
#   cmake --install build [--prefix DIR]   installs the programs, the hook library, the
#                                          desktop entry, the man pages and the units
#   cd build && cpack -G DEB               makes corvane_<version>_<arch>.deb (prefix /usr)
#
# The three programs find libinputhook.so in lib/corvane beside their own bin/ (a private
# library, not one for other programs to link). Files that name installed paths (the
# desktop entry, the systemd units, the tmpfiles rule) are written at install time, with
# the prefix of that installation.
set(CORVANE_PRIVATE_LIBDIR lib/corvane)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS corvaned RUNTIME DESTINATION bin)
install(TARGETS inputhook LIBRARY DESTINATION ${CORVANE_PRIVATE_LIBDIR} NAMELINK_SKIP)
foreach(program corvane corvaned corvane-ctl)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CORVANE_PRIVATE_LIBDIR}")
  endif()
endforeach()

install(PROGRAMS ${packaging}/corvane-launch DESTINATION ${CORVANE_PRIVATE_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/MODEMS.DAT DESTINATION share/corvane)
install(FILES ${packaging}/help/index.html DESTINATION share/corvane/help)
install(FILES ${packaging}/corvane.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${packaging}/systemd/corvane.sysusers DESTINATION lib/sysusers.d RENAME corvane.conf)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/corvane)

# The man pages, with the version, compressed.
set(man_pages)
foreach(page corvane.1 corvaned.8 corvane-ctl.1)
  configure_file(${packaging}/man/${page}.in ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/man/${page}
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}
    VERBATIM)
  list(APPEND man_pages ${CMAKE_BINARY_DIR}/man/${page}.gz)
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION share/man/man${section})
endforeach()
add_custom_target(corvane_man_pages ALL DEPENDS ${man_pages})

install(CODE "set(CORVANE_PACKAGING \"${packaging}\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallConfigured.cmake)

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop paging terminal: TAP, numeric, TAP over TCP and SNPP")
set(CPACK_PACKAGE_DESCRIPTION
  "Corvane delivers pages to pagers: by modem with the TAP protocol (alphanumeric pagers) or as dialled digits (numeric pagers), to TAP paging terminals over TCP, and to SNPP servers (with a login where the server wants one). It pages by itself on incoming calls, matching mail and calendar reminders while the user is away, and sends scheduled pages on time. The package holds the desktop program corvane, the program without windows corvaned with its systemd units, and the command client corvane-ctl.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "")
# The libraries come from dpkg-shlibdeps; Qt's platform plugins and the tools of the
# maintainer scripts are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/inputhook)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, passwd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${packaging}/debian/postinst ${packaging}/debian/prerm ${packaging}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
