#pragma once
// The active language id (31 Dutch, 44 English) and the language file's name.
#include <QString>

namespace orb {
extern int LngID;
extern QString LngFileName;
}  // namespace orb
