# SPDX-License-Identifier: LicenseRef-Draventa-freeware
# Desktop integration files and the Debian package.
#
#   cmake --install build --prefix /some/where    desktop entry, icons, metainfo, man page
#   (cd build && cpack -G DEB)                      build/sernix_<version>_<arch>.deb
#
# scripts/package runs both and validates the result.

include(GNUInstallDirs)

set(SERNIX_APPSTREAM_ID "example.draventa.sernix")
set(_sernix_packaging "${PROJECT_SOURCE_DIR}/packaging")

install(FILES "${_sernix_packaging}/sernix.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_sernix_packaging}/${SERNIX_APPSTREAM_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

foreach(_size IN ITEMS 16 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/resources/hicolor/${_size}/sernix.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps")
endforeach()

# Debian wants man pages and changelogs compressed, and without a timestamp or
# file name in the gzip header so that two builds of one tree give identical
# packages.
find_program(SERNIX_GZIP gzip)
function(sernix_install_compressed source destination)
  get_filename_component(name "${source}" NAME)
  if(NOT SERNIX_GZIP)
    install(FILES "${source}" DESTINATION "${destination}")
    return()
  endif()
  set(compressed "${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz")
  add_custom_command(
    OUTPUT "${compressed}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/packaging"
    COMMAND "${SERNIX_GZIP}" -9 -n -c "${source}" > "${compressed}"
    DEPENDS "${source}"
    COMMENT "Compressing ${name}"
    VERBATIM)
  add_custom_target("sernix_gzip_${name}" ALL DEPENDS "${compressed}")
  install(FILES "${compressed}" DESTINATION "${destination}")
endfunction()

sernix_install_compressed("${_sernix_packaging}/sernix.1" "${CMAKE_INSTALL_MANDIR}/man1")
sernix_install_compressed("${_sernix_packaging}/changelog" "${CMAKE_INSTALL_DOCDIR}")
install(FILES "${_sernix_packaging}/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# --- CPack -------------------------------------------------------------------

set(CPACK_PACKAGE_NAME "sernix")
set(CPACK_PACKAGE_VENDOR "Draventa")
set(CPACK_PACKAGE_CONTACT "Draventa <support@draventa.example>")
# Users know the program as 1.01 (About panel, --version); the package says the
# same rather than the three-part CMake project version.
set(CPACK_PACKAGE_VERSION "${SERNIX_DISPLAY_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor and exercise the lines of RS-232 serial ports")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.draventa.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR "DEB")
else()
  set(CPACK_GENERATOR "ZIP")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Draventa <support@draventa.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CPACK_PACKAGE_HOMEPAGE_URL}")
# dpkg-shlibdeps sees only the libraries the binary links. The X11 and
# offscreen platform plugins ship in libqt6gui6, which that already pulls in;
# Wayland and the other plugins are in qt6-qpa-plugins, useful but not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FreeFont: the traffic view's control pictures (U+2400 on), which DejaVu lacks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
# CPack puts the summary above this as the synopsis line and indents the rest
# the way dpkg wants; an empty line becomes a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sernix shows up to four serial ports, COM1 to COM4, each drawn as a 9-pin
connector. For every open port it shows the modem inputs DCD, DSR and CTS,
the characters received, and the state of the outputs DTR and RTS, which
buttons switch on and off; it also sends a line of text repeatedly.

Speed, parity, data bits, stop bits and handshaking are chosen per port. A
simulated loop-back plug lets the program be tried without hardware.")

# `make package_source`: the source tree, without build directories and Git.
set(CPACK_SOURCE_GENERATOR "TXZ")
set(CPACK_SOURCE_PACKAGE_FILE_NAME "sernix-${SERNIX_DISPLAY_VERSION}")
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/\\.cache/" "compile_commands\\.json$")
set(CPACK_PROJECT_CONFIG_FILE "${_sernix_packaging}/cpack-options.cmake")

include(CPack)
