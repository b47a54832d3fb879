# The Windows program as users get it: kestrova-setup.exe (NSIS) installs kestrova.exe and the two
# documents it shows into one folder of the user's own, without administrator rights, with a
# Start-menu entry and an uninstaller.
find_program(KESTROVA_MAKENSIS makensis REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/kestrova-setup.exe
  COMMAND ${KESTROVA_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD=${CMAKE_BINARY_DIR}
          -DRESOURCES=${PROJECT_SOURCE_DIR}/resources ${PROJECT_SOURCE_DIR}/resources/windows/kestrova.nsi
  DEPENDS kestrova ${PROJECT_SOURCE_DIR}/resources/windows/kestrova.nsi ${PROJECT_SOURCE_DIR}/resources/help.html
          ${PROJECT_SOURCE_DIR}/resources/license-pro.html
  COMMENT "Making kestrova-setup.exe"
  VERBATIM)
add_custom_target(kestrova_setup ALL DEPENDS ${CMAKE_BINARY_DIR}/kestrova-setup.exe)
