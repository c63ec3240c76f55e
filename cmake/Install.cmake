# Installs the program as a desktop application in the GNU directory layout (`cmake --install`, `make install`)
# and packs the same tree as two Debian packages (`cpack`, `make package`): `velkaro`, the command line and the
# headless servers without Qt, and `velkaro-gui`, the window, which depends on it. Every installed name that the
# desktop matches up (desktop file, AppStream component, icon) is the application ID.
include(GNUInstallDirs)

set(VELKARO_HOMEPAGE "https://velkaro.org" CACHE STRING "The project's web page, named in the AppStream metadata")
set(VELKARO_SCREENSHOT_URL "${VELKARO_HOMEPAGE}/screenshots" CACHE STRING
    "Web address where the files of docs/screenshots are published, for the AppStream metadata")

# The modules and helpers go to a private folder of the multiarch library directory: beside the linker's own
# folders they would make the package run ldconfig for libraries nobody links to. platform/ProgramModule looks
# there, relative to bin/.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(VELKARO_MODULE_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/velkaro)
else()
  set(VELKARO_MODULE_DIR lib/velkaro)
endif()
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/platform/ProgramModule.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS VELKARO_MODULE_DIR="${VELKARO_MODULE_DIR}")

# The command line and the servers (component cli, package velkaro).
install(TARGETS velkaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
# The TLS module, and the PDF text reader: a helper program the library starts for each document it reads.
install(TARGETS velkaro-tls LIBRARY DESTINATION ${VELKARO_MODULE_DIR} COMPONENT cli)
install(TARGETS velkaro-pdftext RUNTIME DESTINATION ${VELKARO_MODULE_DIR} COMPONENT cli)
install(FILES ${CMAKE_SOURCE_DIR}/resources/completions/velkaro.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME velkaro COMPONENT cli)
# The background share: a systemd user unit and an example of its options file.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/velkaro-share.service DESTINATION lib/systemd/user COMPONENT cli)

# The window (component gui, package velkaro-gui).
install(TARGETS velkaro-gui RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT gui)
install(FILES ${CMAKE_SOURCE_DIR}/resources/${VELKARO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT gui)

# The AppStream metadata's releases are the changelog's entries, newest first, each dated as the changelog dates it.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog CHANGELOG_LINES)
set(VELKARO_RELEASES "")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
foreach(line IN LISTS CHANGELOG_LINES)
  if(line MATCHES "^velkaro \\(([^)]+)\\)")
    set(release_version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    if(month LESS 10)
      set(month 0${month})
    endif()
    string(APPEND VELKARO_RELEASES
      "    <release version=\"${release_version}\" date=\"${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}\"/>\n")
  endif()
endforeach()
if(NOT VELKARO_RELEASES MATCHES "version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "packaging/changelog has no entry for version ${PROJECT_VERSION}")
endif()
configure_file(${CMAKE_SOURCE_DIR}/resources/metainfo/${VELKARO_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${VELKARO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${VELKARO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT gui)

# Icons: the window's own SVG, and PNGs rendered from it for menus and docks that want fixed sizes.
set(APP_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/images/velkaro.svg)
set(ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${APP_ICON_SVG} DESTINATION ${ICON_DIR}/scalable/apps RENAME ${VELKARO_APP_ID}.svg COMPONENT gui)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(APP_ICON_PNGS "")
  foreach(size 48 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/${VELKARO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${APP_ICON_SVG}
      DEPENDS ${APP_ICON_SVG} COMMENT "Rendering the ${size} pixel icon" VERBATIM)
    install(FILES ${png} DESTINATION ${ICON_DIR}/${size}x${size}/apps COMPONENT gui)
    list(APPEND APP_ICON_PNGS ${png})
  endforeach()
  add_custom_target(velkaro_icons ALL DEPENDS ${APP_ICON_PNGS})
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon will be installed")
  add_custom_target(velkaro_icons)
endif()

# The manual pages and the changelog, compressed as Debian keeps them; each package carries the copyright file
# and the changelog in its own doc folder.
set(VELKARO_DOC_FILES "")
foreach(page velkaro velkaro-gui)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/docs/man/${page}.1 > ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}.1 COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND VELKARO_DOC_FILES ${gz})
endforeach()
set(CHANGELOG_GZ ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CHANGELOG_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog COMMENT "Compressing the changelog")
list(APPEND VELKARO_DOC_FILES ${CHANGELOG_GZ})
add_custom_target(velkaro_man ALL DEPENDS ${VELKARO_DOC_FILES})
install(FILES ${CMAKE_BINARY_DIR}/man/velkaro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
install(FILES ${CMAKE_BINARY_DIR}/man/velkaro-gui.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT gui)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CHANGELOG_GZ} ${CMAKE_SOURCE_DIR}/packaging/share.conf.example
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro COMPONENT cli)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-gui COMPONENT gui)

# The installed programs carry no compiler identification section (Debian strips it from every package's
# binaries); the hardened build removes it after linking, the debug symbols stay.
if(VELKARO_HARDENING)
  foreach(target velkaro velkaro-gui velkaro-pdftext velkaro-tls)
    add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
      $<TARGET_FILE:${target}> VERBATIM)
  endforeach()
endif()

# What the packages hold, and so all that `make package` needs built.
add_custom_target(velkaro_packaged DEPENDS velkaro velkaro-gui velkaro-pdftext velkaro-tls velkaro_icons velkaro_man)

# Debian packages, one per component; the libraries' packages come from dpkg-shlibdeps. The web page's HTTP
# library and the Avahi client are opened at run time, so dpkg-shlibdeps cannot see them, nor Qt's window-system
# plugins (qt6-qpa-plugins), which nothing links to. (Qt's SVG library is linked, so libqt6svg6 comes from
# dpkg-shlibdeps and with it the SVG plugins that draw every picture of the screens.)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli gui)
set(CPACK_PACKAGE_NAME velkaro)
set(CPACK_PACKAGE_VENDOR "The Velkaro developers")
set(CPACK_PACKAGE_CONTACT "The Velkaro developers <developers@velkaro.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELKARO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME velkaro)
set(CPACK_COMPONENT_CLI_DESCRIPTION "electronics pocket reference: command line and datasheet servers
Velkaro decodes resistor, inductor, capacitor and SMD markings, finds standard
values over the E-series, sizes LED resistors, NE555 timers, cable voltage
drops and small solar installations, and answers the everyday bench questions:
dividers, combinations, regulators and unknown markings.
.
This package holds the command line, with one subcommand per tool and JSON
output for scripts, the full-text datasheet library, and the servers that
share it with other computers and phones over FTP, FTPS and a web page. It
needs no graphical environment, so it suits a bench computer or a NAS.")
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libmicrohttpd12, libavahi-client3")
set(CPACK_DEBIAN_GUI_PACKAGE_NAME velkaro-gui)
set(CPACK_DEBIAN_GUI_PACKAGE_SECTION electronics)
set(CPACK_COMPONENT_GUI_DESCRIPTION "electronics pocket reference: the window
Velkaro decodes resistor, inductor, capacitor and SMD markings, finds standard
values, sizes LED resistors, NE555 timers, cable voltage drops and small solar
installations, and keeps a datasheet library with full-text search.
.
This package holds the window: every tool on a screen shaped like a phone's
or a tablet's, the datasheet list and viewer, and the transfer screen that
shares the library by FTP, FTPS or a web page reached with a QR code.")
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "velkaro (= ${PROJECT_VERSION}), qt6-qpa-plugins")
# The screens are laid out for DejaVu Sans; "Open with…" and the rate button hand addresses to xdg-open.
set(CPACK_DEBIAN_GUI_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils")
# The packages' programs are stripped and their symbols go to velkaro-dbgsym and velkaro-gui-dbgsym (.ddeb), under
# /usr/lib/debug/.build-id where gdb finds them by the programs' build IDs. The DEB generator strips them itself
# while it keeps the symbols: CPACK_STRIP_FILES would strip them first and leave nothing to keep.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
include(CPack)
