# Installs the program as a desktop application in the GNU directory layout (`cmake --install`, `make install`)
# and packs the same tree as a Debian package (`cpack`, `make package`). Every installed name that the desktop
# matches up (desktop file, AppStream component, icon) is the application ID.
include(GNUInstallDirs)

set(VELKARO_HOMEPAGE "https://velkaro.org" CACHE STRING "The project's web page, named in the AppStream metadata")
set(VELKARO_SCREENSHOT_URL "${VELKARO_HOMEPAGE}/screenshots" CACHE STRING
    "Web address where the files of docs/screenshots are published, for the AppStream metadata")

install(TARGETS velkaro velkaro-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where the modules' loader and the helpers' finder (platform/ProgramModule) look: lib/velkaro beside bin.
install(TARGETS velkaro-tls LIBRARY DESTINATION lib/velkaro)
install(TARGETS velkaro-pdftext RUNTIME DESTINATION lib/velkaro)
install(FILES ${CMAKE_SOURCE_DIR}/resources/${VELKARO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${CMAKE_SOURCE_DIR}/resources/metainfo/${VELKARO_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${VELKARO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${VELKARO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Icons: the window's own SVG, and PNGs rendered from it for menus and docks that want fixed sizes.
set(APP_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/images/velkaro.svg)
set(ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${APP_ICON_SVG} DESTINATION ${ICON_DIR}/scalable/apps RENAME ${VELKARO_APP_ID}.svg)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(APP_ICON_PNGS "")
  foreach(size 48 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/${VELKARO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${APP_ICON_SVG}
      DEPENDS ${APP_ICON_SVG} COMMENT "Rendering the ${size} pixel icon" VERBATIM)
    install(FILES ${png} DESTINATION ${ICON_DIR}/${size}x${size}/apps)
    list(APPEND APP_ICON_PNGS ${png})
  endforeach()
  add_custom_target(velkaro_icons ALL DEPENDS ${APP_ICON_PNGS})
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon will be installed")
endif()

# The manual page, compressed as Debian keeps them.
set(MAN_PAGE ${CMAKE_BINARY_DIR}/man/velkaro.1.gz)
add_custom_command(OUTPUT ${MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/docs/man/velkaro.1 > ${MAN_PAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/velkaro.1 COMMENT "Compressing the manual page")
add_custom_target(velkaro_man ALL DEPENDS ${MAN_PAGE})
install(FILES ${MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_SOURCE_DIR}/resources/completions/velkaro.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME velkaro)

# Debian package: the libraries' packages come from dpkg-shlibdeps. Qt loads two kinds of plugins that nothing
# links to: the window-system ones (qt6-qpa-plugins) and the SVG ones that draw every picture and icon of the
# screens (libqt6svg6).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkaro)
set(CPACK_PACKAGE_VENDOR "The Velkaro developers")
set(CPACK_PACKAGE_CONTACT "The Velkaro developers <developers@velkaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "electronics pocket reference with a datasheet store")
set(CPACK_PACKAGE_DESCRIPTION "Decodes resistor, inductor, capacitor and SMD markings, finds standard resistor \
values, sizes LED series resistors, NE555 timings, cable voltage drops and small solar installations, shows a wire \
load table and keeps a datasheet store that other computers fill through a built-in FTP server. A Qt window, and \
a command line with one subcommand per tool.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELKARO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The web page's HTTP library and the Avahi client are opened at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, libmicrohttpd12, libavahi-client3")
# The screens are laid out for DejaVu Sans; "Open with…" and the rate button hand addresses to xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package's programs are stripped and their symbols go to velkaro-dbgsym (a .ddeb), under
# /usr/lib/debug/.build-id where gdb finds them by the programs' build IDs. The DEB generator strips them itself
# while it keeps the symbols: CPACK_STRIP_FILES would strip them first and leave nothing to keep.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
include(CPack)
