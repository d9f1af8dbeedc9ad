#pragma once
// The program's own resources (bitmaps, glyphs, cursors, pictures) are generated at
// build time into "orbelle.rcc" in the program folder and registered at start-up.
// Paths: ":/bitmaps/NAME.bmp", ":/glyphs/<s|m|l>/NAME.png", ":/pictures/...", ":/cursors/...".
#include <QString>

namespace orb {

// Registers ProgramFile("orbelle.rcc") once; true when the resources are available.
bool RegisterProgramResources();

}  // namespace orb
