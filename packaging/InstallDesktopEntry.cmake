# Run while installing (see CMakeLists.txt here): writes the desktop entry
# with the program's full installed path, then installs it.
set(GOBBIT_EXEC "${CMAKE_INSTALL_PREFIX}/${GOBBIT_GAMESDIR}/gobbit")
# A path with spaces is one quoted argument.
if(GOBBIT_EXEC MATCHES " ")
  set(GOBBIT_EXEC "\"${GOBBIT_EXEC}\"")
endif()
configure_file("${GOBBIT_DESKTOP_IN}" "${GOBBIT_DESKTOP_OUT}/${GOBBIT_APP_ID}.desktop" @ONLY)
file(INSTALL "${GOBBIT_DESKTOP_OUT}/${GOBBIT_APP_ID}.desktop"
  DESTINATION "${CMAKE_INSTALL_PREFIX}/${GOBBIT_APPLICATIONSDIR}")
