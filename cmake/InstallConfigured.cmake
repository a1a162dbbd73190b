# Run by the install step: writes the files that name installed paths with the prefix of
# this installation. CORVANE_PACKAGING is the source folder of the templates.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(CORVANE_BINDIR "${prefix}/bin")
set(CORVANE_LAUNCH "${prefix}/lib/corvane/corvane-launch")
set(CORVANE_DATADIR "${prefix}/share/corvane")
foreach(pair
    "corvane.desktop.in|share/applications/corvane.desktop"
    "systemd/corvaned.service.in|lib/systemd/system/corvaned.service"
    "systemd/corvaned.user.service.in|lib/systemd/user/corvaned.service"
    "systemd/corvane.tmpfiles.in|lib/tmpfiles.d/corvane.conf")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 template)
  list(GET pair 1 target)
  set(destination "$ENV{DESTDIR}${prefix}/${target}")
  message(STATUS "Installing: ${destination}")
  configure_file("${CORVANE_PACKAGING}/${template}" "${destination}" @ONLY)
endforeach()
