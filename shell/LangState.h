#pragma once
// The active language and the language file: program-wide, read wherever a text is fetched.
#include <QString>

namespace orb {
// The language id, an international telephone country code (31 Dutch, 44 English); 44 until
// the intro window or the command line sets it.
int LngID();
void SetLngID(int id);
// The full name of the language file, set when the main window is created.
QString LngFileName();
void SetLngFileName(const QString& name);
}  // namespace orb
