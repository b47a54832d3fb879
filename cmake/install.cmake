# The program as users get it: one application folder that holds the executable and the two
# documents it shows (the program finds them beside its real executable), a command in bin that
# links there, and the desktop's menu entry, icons and manual page. The build folder is laid out
# like the application folder, so the built program finds its documents too.
if(KESTROVA_CORE_ONLY)
  return()
endif()

set(KESTROVA_DOCUMENTS help.html license-pro.html)
foreach(document IN LISTS KESTROVA_DOCUMENTS)
  configure_file(${PROJECT_SOURCE_DIR}/resources/${document} ${CMAKE_BINARY_DIR}/${document} COPYONLY)
endforeach()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-installer.cmake)
  return()
endif()

# The desktop icons are the window's own globe. Drawing needs a display, so the PNGs are made
# once with this tool and kept in resources/icons; the target below makes them again after the
# drawing changes, and a GUI test checks that the two still agree.
set(KESTROVA_ICON_SIZES 16 32 48 128)
add_executable(kestrova_make_icons ${PROJECT_SOURCE_DIR}/src/platform/wx/tools/make_icons.cpp)
target_link_libraries(kestrova_make_icons PRIVATE kestrova_wx kestrova_warnings)
add_custom_target(kestrova_icons
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/run-under-x $<TARGET_FILE:kestrova_make_icons>
          ${PROJECT_SOURCE_DIR}/resources/icons/hicolor ${KESTROVA_ICON_SIZES}
  COMMENT "Drawing the desktop icons into resources/icons"
  VERBATIM)

# The documentation's pictures of the running program, taken again on demand (make screenshots).
add_custom_target(screenshots
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/screenshots $<TARGET_FILE:kestrova>
  DEPENDS kestrova
  COMMENT "Taking docs/screenshot.png, docs/screenshot-hidden.png and docs/screenshot-200.png"
  USES_TERMINAL VERBATIM)

# Debian wants manual pages compressed, reproducibly (no name or time stamp in the header).
find_program(KESTROVA_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/kestrova.1.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/kestrova.1 ${CMAKE_BINARY_DIR}/kestrova.1
  COMMAND ${KESTROVA_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/kestrova.1
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/kestrova.1
  VERBATIM)
add_custom_target(kestrova_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/kestrova.1.gz)
# The same for the package's change log, which Debian keeps beside the copyright.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${KESTROVA_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/resources/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/changelog)
add_custom_target(kestrova_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)

# A relative link keeps the installed tree movable (DESTDIR, packages, other prefixes).
set(KESTROVA_APP_DIR lib/kestrova)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ../${KESTROVA_APP_DIR}/kestrova ${CMAKE_BINARY_DIR}/install-links/kestrova SYMBOLIC)

install(TARGETS kestrova RUNTIME DESTINATION ${KESTROVA_APP_DIR})
foreach(document IN LISTS KESTROVA_DOCUMENTS)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/${document} DESTINATION ${KESTROVA_APP_DIR})
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/install-links/kestrova DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestrova.desktop DESTINATION share/applications)
foreach(size IN LISTS KESTROVA_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/${size}x${size}/apps/kestrova.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/kestrova.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/kestrova RENAME copyright)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/kestrova)
# What software centres read to list the program.
install(FILES ${PROJECT_SOURCE_DIR}/resources/org.kestrova.kestrova.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestrova-autostart.desktop DESTINATION share/doc/kestrova/examples)

# make package: a Debian package installing under /usr, its dependencies read from the binary.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR "The Kestrova developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep an Internet connection alive by browsing a playlist of web sites")
# Debian reads at most 80 columns of each line of the long description.
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrova shows the web sites of a playlist one after another in an\n\
embedded browser, waiting a set time on each, so that a connection that\n\
would drop when idle stays up. It can fetch every page afresh, loop over\n\
the list or close itself at the end, and starts from a command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Kestrova developers <maintainers@kestrova.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
