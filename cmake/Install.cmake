# Installation: cmake --install BUILD --prefix P gives
#
#   P/bin/valkron                                 the game
#   P/share/valkron/                              its data (the generated game directory)
#   P/share/applications/valkron.desktop          the desktop entry (it plays replays)
#   P/share/mime/packages/valkron.xml             the replays' file type
#   P/share/icons/hicolor/NxN/apps/valkron.png    the icon, 64, 128 and 256 pixels
#
# The installed game finds its data through its own place (bin/../share/valkron)
# and keeps its settings in the user's configuration folder (src/main.cpp).
include(GNUInstallDirs)

if(TARGET valkron)
  install(TARGETS valkron RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The whole game directory, but never a settings file (nor the temporary
# file of an interrupted write) that a run in the build left there.
install(DIRECTORY ${PROJECT_BINARY_DIR}/game/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/valkron
  REGEX "/[Ss][Ee][Tt][Tt][Ii][Nn][Gg][Ss]\\.[Ii][Nn][Ii](\\.tmp)?$" EXCLUDE)

install(FILES ${PROJECT_SOURCE_DIR}/dist/valkron.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/valkron-replay.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME valkron.xml)

if(TARGET icons)
  foreach(size 256 128 64)
    install(FILES ${PROJECT_BINARY_DIR}/icons/valkron-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME valkron.png)
  endforeach()
endif()
