# What `cmake --install` puts under the prefix: the programs, the help that
# LaunchHelp opens, the desktop entry, metainfo and icon under the
# application id, and the manual pages.
install(TARGETS pelmora pelmora-data pelmora-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/help/pelmora.htm DESTINATION ${PELMORA_HELP_INSTALL_DIR})
install(FILES resources/desktop/${PELMORA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/${PELMORA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The same drawing the program shows as its own icon.
install(FILES resources/images/icon.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${PELMORA_APP_ID}.svg)
# Manual pages and the changelog go in compressed as Debian's policy wants
# them: gzip at its best without a time stamp, so builds stay reproducible.
set(PELMORA_GZIPPED)
foreach(source resources/man/pelmora.1 resources/man/pelmora-data.1 resources/man/pelmora-sim.1
    cmake/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(gzipped ${CMAKE_BINARY_DIR}/gzipped/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gzipped
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/${source} ${gzipped}
    DEPENDS ${source} VERBATIM)
  list(APPEND PELMORA_GZIPPED ${gzipped})
endforeach()
add_custom_target(pelmora_gzipped ALL DEPENDS ${PELMORA_GZIPPED})
list(POP_BACK PELMORA_GZIPPED changelog)
install(FILES ${PELMORA_GZIPPED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${changelog} cmake/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)

# The bus starts Pelmora when a script calls its name and none runs: through
# the systemd user unit where systemd manages the session, else by the
# service file's own Exec. Either way Pelmora never lives in the caller's
# control group. Both name the program by its installed path, which only the
# install knows (a package installs under its own prefix).
foreach(unit "resources/dbus/com.vantrel.Pelmora.service.in|${CMAKE_INSTALL_DATADIR}/dbus-1/services"
    "resources/systemd/pelmora.service.in|lib/systemd/user")
  string(REPLACE "|" ";" unit "${unit}")
  list(GET unit 0 source)
  list(GET unit 1 folder)
  get_filename_component(name ${source} NAME_WLE)
  install(CODE "
    file(READ \"${CMAKE_SOURCE_DIR}/${source}\" text)
    string(REPLACE \"@PELMORA_BINDIR@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\"
      text \"\${text}\")
    set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/${name}\")
    message(STATUS \"Installing: \${target}\")
    file(WRITE \"\${target}\" \"\${text}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${folder}/${name}\")")
endforeach()
