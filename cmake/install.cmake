# What cmake --install (and so the Debian package) puts where, by GNUInstallDirs:
# the window and every tool in bin/, the help files in share/tarvik/ (the help
# window looks there relative to its executable), and for the desktop the menu
# entry, the icons and the AppStream data; a man page and a bash completion for
# each program that has one in resources/; the copyright file.

set(TARVIK_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
set(TARVIK_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

function(tarvik_install_program program)
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(EXISTS ${TARVIK_RESOURCES}/man/${program}.1)
    install(FILES ${TARVIK_RESOURCES}/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  if(EXISTS ${TARVIK_RESOURCES}/completion/${program})
    install(FILES ${TARVIK_RESOURCES}/completion/${program} DESTINATION ${TARVIK_COMPLETIONS_DIR})
  endif()
endfunction()

foreach(tool ${TARVIK_TOOLS})
  tarvik_install_program(${tool})
endforeach()
# Where a Debian system looks for a package's copyright and licence.
install(FILES ${TARVIK_RESOURCES}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)

if(TARGET tarvik)
  tarvik_install_program(tarvik)
  install(FILES ${TARVIK_RESOURCES}/tarvik.hlp ${TARVIK_RESOURCES}/tarvike.hlp
          DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik)
  install(FILES ${TARVIK_RESOURCES}/desktop/tarvik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TARVIK_RESOURCES}/desktop/org.tarvik.tarvik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${TARVIK_RESOURCES}/icons/tarvik.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 128)
    install(FILES ${TARVIK_RESOURCES}/icons/tarvik-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tarvik.png)
  endforeach()
endif()
