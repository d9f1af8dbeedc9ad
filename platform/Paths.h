#pragma once
// Where the program's files live. Data is found next to the executable; the user's
// drawings ("User") and temporary files ("T") live there too when the folder is
// writable, otherwise in the user's data and cache folders.
#include <QString>

namespace orb {

// The program folder, with a trailing '/'.
QString ProgramFolder();
// Sets the program folder (start-up uses the executable's folder; tests use the build's).
void SetProgramFolder(const QString& folder);

// "User/" and "T/" folders, with a trailing '/'. Not created here.
QString UserFolder();
QString TempFolder();
// The user's own folders for Orbelle: "~/.local/share/Orbelle/" and "~/.cache/Orbelle/" by
// default, with a trailing '/'.
QString UserDataFolder();
QString UserCacheFolder();

// Earlier versions kept the user's data one folder deeper ("Orbelle/Orbelle/"). Moves the
// drawings found there into the user data folder's "User/", keeping every file: one whose
// name is taken by a different file comes over under a free name ("roos (2).bmp"). Returns
// how many files could not be moved; they stay where they were and are tried again next time.
int AdoptEarlierUserData();

// The fixed wallpaper file, overwritten by every "desktop background" command.
QString WallpaperFile();

// Turns a name as stored in the data files ("I\B\bk6x4", "\Bloemen\roos.bmp") into a
// path relative to the program folder (absolute when the name is absolute on this system).
QString NameToPath(const QString& name);

// Absolute path of a program-relative name.
QString ProgramFile(const QString& name);

}  // namespace orb
