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
install(FILES resources/man/pelmora.1 resources/man/pelmora-data.1 resources/man/pelmora-sim.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
