# Runs at install time (cmake --install): the launcher, the uninstaller and the uninstall
# entry, written for the prefix actually used. ORBELLE_APP_ID and ORBELLE_ICON_SIZES come
# from the install step before this one.
set(_root "$ENV{DESTDIR}")
set(_prefix "${CMAKE_INSTALL_PREFIX}")
set(_lib "${_prefix}/lib/orbelle")

file(REMOVE "${_root}${_prefix}/bin/orbelle")
file(WRITE "${_root}${_prefix}/bin/orbelle"
"#!/bin/sh\nexec \"${_lib}/Orbelle\" \"$@\"\n")
file(CHMOD "${_root}${_prefix}/bin/orbelle"
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(_icons "")
foreach(s ${ORBELLE_ICON_SIZES})
  string(APPEND _icons " \\\n      \"${_prefix}/share/icons/hicolor/${s}x${s}/apps/orbelle.png\"")
endforeach()
file(WRITE "${_root}${_lib}/uninstall.sh"
"#!/bin/sh
# Removes Orbelle as installed under ${_prefix}.
rm -f \"${_prefix}/bin/orbelle\" \\
      \"${_prefix}/share/applications/${ORBELLE_APP_ID}.desktop\" \\
      \"${_prefix}/share/metainfo/${ORBELLE_APP_ID}.metainfo.xml\" \\
      \"${_prefix}/share/man/man1/orbelle.1.gz\" \\
      \"${_prefix}/share/icons/hicolor/scalable/apps/orbelle.svg\"${_icons}
rm -rf \"${_lib}\"
")
file(CHMOD "${_root}${_lib}/uninstall.sh"
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

file(WRITE "${_root}${_lib}/uninstall.entry"
"# Read by 'orbelle uninstall'.\nUninstallString=\"${_lib}/uninstall.sh\"\n")
