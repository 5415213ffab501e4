# Desktop integration and the Debian package: the desktop entry, icon and AppStream
# metainfo, manual pages made from the programs' own --help, the bash completion of
# zentra-cli, the documentation files Debian expects, and CPack's DEB generator.
# `cmake --install` puts it all under the prefix; scripts/package.sh makes the .deb.
include(GNUInstallDirs)

set(ZENTRA_APP_ID com.quorvex.Zentra)
set(ZENTRA_PACKAGE_MAINTAINER "Zentra developers <zentra@quorvex.example>" CACHE STRING
    "Maintainer named in the Debian package")
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_gen ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_gen})

# --- desktop menu entry, icon, AppStream metainfo
string(TIMESTAMP ZENTRA_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${_pkg}/desktop/${ZENTRA_APP_ID}.metainfo.xml.in
               ${_gen}/${ZENTRA_APP_ID}.metainfo.xml @ONLY)
if(TARGET zentra)
  install(FILES ${_pkg}/desktop/${ZENTRA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_pkg}/desktop/${ZENTRA_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${_gen}/${ZENTRA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The .qdf type, so a file manager opens frequency tables with the window.
  install(FILES ${_pkg}/desktop/${ZENTRA_APP_ID}.mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${ZENTRA_APP_ID}.xml)
endif()

# --- bash completion of zentra-cli
if(TARGET zentra-cli)
  install(FILES ${_pkg}/completion/zentra-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# --- manual pages, from each program's --help and --version so they stay true; the
# window answers those on Qt's offscreen platform, without a display.
find_program(ZENTRA_HELP2MAN help2man)
find_program(ZENTRA_GZIP gzip)
set(_man_default OFF)
if(ZENTRA_HELP2MAN AND ZENTRA_GZIP AND NOT ZENTRA_SANITIZE AND NOT CMAKE_CROSSCOMPILING)
  set(_man_default ON)
endif()
option(ZENTRA_BUILD_MANPAGES "Make the manual pages with help2man" ${_man_default})
if(ZENTRA_BUILD_MANPAGES)
  if(NOT ZENTRA_HELP2MAN OR NOT ZENTRA_GZIP)
    message(FATAL_ERROR "The manual pages need help2man and gzip (ZENTRA_BUILD_MANPAGES)")
  endif()
  set(_pages)
  foreach(_program zentra zentra-cli zentra-sim)
    if(NOT TARGET ${_program})
      continue()
    endif()
    # zentra-cli lists every command's options with --help-all.
    set(_help_option --help)
    if(_program STREQUAL "zentra-cli")
      set(_help_option --help-all)
    endif()
    set(_page ${_gen}/man/${_program}.1)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}/man
      COMMAND ${CMAKE_COMMAND} -E env "PATH=$<TARGET_FILE_DIR:${_program}>:$ENV{PATH}"
              QT_QPA_PLATFORM=offscreen
              ${ZENTRA_HELP2MAN} --no-info --help-option=${_help_option}
              --include=${_pkg}/man/${_program}.h2m --output=${_page} ${_program}
      COMMAND ${ZENTRA_GZIP} -9nf ${_page}
      DEPENDS ${_program} ${_pkg}/man/${_program}.h2m
      COMMENT "Manual page ${_program}(1)"
      VERBATIM)
    list(APPEND _pages ${_page}.gz)
  endforeach()
  add_custom_target(zentra_manpages ALL DEPENDS ${_pages})
  install(FILES ${_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# --- what Debian keeps in /usr/share/doc/zentra: the copyright and a changelog
string(TIMESTAMP ZENTRA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${_pkg}/debian/changelog.in ${_gen}/changelog @ONLY)
add_custom_command(OUTPUT ${_gen}/changelog.gz
  COMMAND ${ZENTRA_GZIP} -9nkf ${_gen}/changelog
  DEPENDS ${_gen}/changelog VERBATIM)
add_custom_target(zentra_changelog ALL DEPENDS ${_gen}/changelog.gz)
install(FILES ${_pkg}/debian/copyright ${_gen}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zentra)

# --- the Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentra)
set(CPACK_PACKAGE_VENDOR "Quorvex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configurator for wireless-microphone transmitters over infrared")
set(CPACK_PACKAGE_DESCRIPTION
"Quorvex Zentra configures handheld, bodypack and plug-on wireless-microphone
transmitters. A transmitter is held in front of the infrared window of an
interface plugged in by USB or seen as a serial port; Zentra identifies the
model, reads every setting and lets the user change them, each change written
at once and read back.

It saves and loads frequency tables and configurations, checks groups of
channels for intermodulation products and suggests compatible frequencies,
and has service tools for memory images, serial numbers and calibration.

The package holds the window (zentra), the command-line tool for scripts and
batches (zentra-cli) and a simulated serial IR interface (zentra-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZENTRA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the programs link come from dpkg-shlibdeps; libusb is loaded at run time
# (the programs run without it, with no USB interfaces) and the help opens through
# xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libusb-1.0-0, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
