# Runs at install time: the launcher, the uninstaller and the uninstall entry, written
# for the prefix actually used.
set(_root "$ENV{DESTDIR}")
set(_prefix "${CMAKE_INSTALL_PREFIX}")
set(_lib "${_prefix}/lib/orbelle")

file(WRITE "${_root}${_prefix}/bin/orbelle"
"#!/bin/sh\nexec \"${_lib}/Orbelle\" \"$@\"\n")
file(CHMOD "${_root}${_prefix}/bin/orbelle"
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

file(WRITE "${_root}${_lib}/uninstall.sh"
"#!/bin/sh
# Removes Orbelle as installed under ${_prefix}.
rm -f \"${_prefix}/bin/orbelle\" \\
      \"${_prefix}/share/applications/orbelle.desktop\" \\
      \"${_prefix}/share/icons/hicolor/256x256/apps/orbelle.png\"
rm -rf \"${_lib}\"
")
file(CHMOD "${_root}${_lib}/uninstall.sh"
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

file(WRITE "${_root}${_lib}/uninstall.entry"
"# Read by 'orbelle uninstall'.\nUninstallString=\"${_lib}/uninstall.sh\"\n")
