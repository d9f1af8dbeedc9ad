# Installation and the Debian packages.
#
#   cmake --install build --prefix /usr/local    the program from source, with its own
#                                                uninstaller (install.cmake)
#   cpack --config build/CPackConfig.cmake ...   orbelle, libkestrup and libkestrup-dev
#
# Components: "orbelle" is shared by both ways; "local" only by cmake --install; "deb",
# "kestrup" and "kestrup_dev" only by the packages (EXCLUDE_FROM_ALL keeps them out of a
# plain cmake --install).

set(ORBELLE_APP_ID nl.orbelle.Orbelle)
set(ORBELLE_MAINTAINER "Orbelle developers <orbelle@tessvale.example>")
set(ORBELLE_RELEASE_DATE 2026-12-08)
set(ORBELLE_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(ORBELLE_ICON_SIZES 16 24 32 48 64 128 256)

set(_pkg ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_pkg})

# What --version prints.
set_source_files_properties(shell/ProgramInfo.cpp DIRECTORY shell PROPERTIES
  COMPILE_DEFINITIONS ORBELLE_VERSION="${PROJECT_VERSION}")

# The sanitizer build only tests; installing and packaging are the plain build's.
if(ORBELLE_SANITIZE)
  return()
endif()

# --- The program -------------------------------------------------------------------------
# Executables and the music module as targets, so a package gets them stripped; the data
# files as the build made them. Whatever a run left in the program folder stays out.
install(TARGETS Orbelle orbelle-data RUNTIME DESTINATION lib/orbelle COMPONENT orbelle)
install(TARGETS orbelle_music LIBRARY DESTINATION lib/orbelle COMPONENT orbelle
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(DIRECTORY ${ORBELLE_PROGRAM_DIR}/ DESTINATION lib/orbelle COMPONENT orbelle
        FILES_MATCHING
        PATTERN "*.dat" PATTERN "*.lng" PATTERN "*.rcc" PATTERN "*.ttf" PATTERN "orbelle.png"
        PATTERN "A/*.wav" PATTERN "I/B/*"
        PATTERN "User" EXCLUDE PATTERN "T" EXCLUDE)

configure_file(packaging/${ORBELLE_APP_ID}.metainfo.xml ${_pkg}/${ORBELLE_APP_ID}.metainfo.xml
               @ONLY)
install(FILES packaging/${ORBELLE_APP_ID}.desktop DESTINATION share/applications
        COMPONENT orbelle)
install(FILES ${_pkg}/${ORBELLE_APP_ID}.metainfo.xml DESTINATION share/metainfo
        COMPONENT orbelle)

# The manual page, compressed as Debian wants it.
configure_file(packaging/orbelle.1 ${_pkg}/orbelle.1 @ONLY)
add_custom_command(OUTPUT ${_pkg}/orbelle.1.gz
  COMMAND gzip -9nc ${_pkg}/orbelle.1 > ${_pkg}/orbelle.1.gz
  DEPENDS ${_pkg}/orbelle.1)
add_custom_target(orbelle_manual ALL DEPENDS ${_pkg}/orbelle.1.gz)
install(FILES ${_pkg}/orbelle.1.gz DESTINATION share/man/man1 COMPONENT orbelle)

# Icons: the scalable drawing, and pictures of it at the usual sizes.
install(FILES packaging/orbelle.svg DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT orbelle)
find_program(ORBELLE_RSVG_CONVERT rsvg-convert)
if(ORBELLE_RSVG_CONVERT)
  set(_icons)
  foreach(s ${ORBELLE_ICON_SIZES})
    set(_png ${_pkg}/icons/${s}x${s}/orbelle.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg}/icons/${s}x${s}
      COMMAND ${ORBELLE_RSVG_CONVERT} -w ${s} -h ${s} -o ${_png}
              ${CMAKE_SOURCE_DIR}/packaging/orbelle.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/orbelle.svg
      VERBATIM)
    list(APPEND _icons ${_png})
    install(FILES ${_png} DESTINATION share/icons/hicolor/${s}x${s}/apps COMPONENT orbelle)
  endforeach()
  add_custom_target(orbelle_icons ALL DEPENDS ${_icons})
else()
  message(WARNING "rsvg-convert missing (librsvg2-bin, scripts/setup.sh): no icon pictures")
endif()

# From source: a launcher script, the uninstaller and its entry (install.cmake).
install(CODE "set(ORBELLE_APP_ID ${ORBELLE_APP_ID})\nset(ORBELLE_ICON_SIZES ${ORBELLE_ICON_SIZES})"
        COMPONENT local)
install(SCRIPT packaging/install.cmake COMPONENT local)

# In the package: a relative launcher link, the entry that removes the package, and the
# package's documents.
file(CREATE_LINK ../lib/orbelle/Orbelle ${_pkg}/orbelle SYMBOLIC)
install(FILES ${_pkg}/orbelle DESTINATION bin COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES packaging/uninstall.entry DESTINATION lib/orbelle COMPONENT deb EXCLUDE_FROM_ALL)

configure_file(packaging/changelog.in ${_pkg}/changelog @ONLY)
add_custom_command(OUTPUT ${_pkg}/changelog.gz
  COMMAND gzip -9nc ${_pkg}/changelog > ${_pkg}/changelog.gz
  DEPENDS ${_pkg}/changelog)
add_custom_target(orbelle_changelog ALL DEPENDS ${_pkg}/changelog.gz)
foreach(p orbelle:deb libkestrup:kestrup libkestrup-dev:kestrup_dev)
  string(REPLACE ":" ";" p ${p})
  list(GET p 0 _name)
  list(GET p 1 _comp)
  install(FILES packaging/copyright ${_pkg}/changelog.gz DESTINATION share/doc/${_name}
          COMPONENT ${_comp} EXCLUDE_FROM_ALL)
endforeach()

# --- Kestrup for host programs ----------------------------------------------------------
set_target_properties(kestrup PROPERTIES VERSION ${PROJECT_VERSION}
                      SOVERSION ${PROJECT_VERSION_MAJOR})
set(_libdir lib/${CMAKE_LIBRARY_ARCHITECTURE})
install(TARGETS kestrup
        LIBRARY DESTINATION ${_libdir} COMPONENT kestrup EXCLUDE_FROM_ALL
                NAMELINK_COMPONENT kestrup_dev)
install(FILES netlib/include/kestrup.h DESTINATION include COMPONENT kestrup_dev
        EXCLUDE_FROM_ALL)

# --- CPack ------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbelle)
set(CPACK_PACKAGE_VENDOR Tessvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ORBELLE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL orbelle deb kestrup kestrup_dev)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENT_ORBELLE_GROUP orbelle)
set(CPACK_COMPONENT_DEB_GROUP orbelle)
set(CPACK_COMPONENT_KESTRUP_GROUP libkestrup)
set(CPACK_COMPONENT_KESTRUP_DEV_GROUP libkestrup-dev)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orbelle.example/)

set(CPACK_DEBIAN_ORBELLE_PACKAGE_NAME orbelle)
set(CPACK_DEBIAN_ORBELLE_PACKAGE_SECTION graphics)
# dpkg-shlibdeps finds the libraries; these are loaded at run time: the uninstall
# command, Qt's image plugins (TIFF), music, Qt's own dialogs in Dutch, Wayland.
set(CPACK_DEBIAN_ORBELLE_PACKAGE_DEPENDS "pkexec")
set(CPACK_DEBIAN_ORBELLE_PACKAGE_RECOMMENDS
    "qt6-image-formats-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_ORBELLE_DESCRIPTION
"colour mandala line drawings
Orbelle is a colouring book of mandala line drawings: pick a drawing from
the catalogue and colour it with the fill tool in seven fill styles, a pen
and an eyedropper, in a colour chosen by hue, saturation and brightness.
The history pages tell the story of the mandala. Dutch and English.")

set(CPACK_DEBIAN_LIBKESTRUP_PACKAGE_NAME libkestrup)
set(CPACK_DEBIAN_LIBKESTRUP_PACKAGE_SECTION libs)
# The shlibs file for packages built against it, and the linker cache refreshed by trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
file(CONFIGURE OUTPUT ${_pkg}/libkestrup/triggers CONTENT "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIBKESTRUP_PACKAGE_CONTROL_EXTRA ${_pkg}/libkestrup/triggers)
set(CPACK_DEBIAN_LIBKESTRUP_DESCRIPTION
"small client network library with a C interface
Kestrup offers host programs HTTP GET, FTP download with progress, SMTP
sending of an HTML mail, a proxy setting and one long-lived TCP connection
to a server, driven from the host's own event loop.")

set(CPACK_DEBIAN_LIBKESTRUP-DEV_PACKAGE_NAME libkestrup-dev)
set(CPACK_DEBIAN_LIBKESTRUP-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBKESTRUP-DEV_PACKAGE_DEPENDS "libkestrup (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_LIBKESTRUP-DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_LIBKESTRUP-DEV_DESCRIPTION
"client network library with a C interface (development files)
Kestrup offers host programs HTTP GET, FTP download with progress, SMTP
sending of an HTML mail, a proxy setting and one long-lived TCP connection
to a server. This package holds the header kestrup.h and the link to the
library for building host programs.")
include(CPack)
