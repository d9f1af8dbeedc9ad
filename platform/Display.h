#pragma once
// Display facts the design reads from the device: colour depth and screen size.
// Both can be simulated (command line, tests) so every size class and depth can run.
#include <QSize>

namespace orb {

// Bits per pixel of the display (1, 4, 8, 16, 24 or 32).
int DisplayDepth();
// Size of the screen the main window is shown on.
QSize ScreenSize();

void SetSimulatedDepth(int bits);   // 0 clears
void SetSimulatedScreen(QSize size);  // empty clears

}  // namespace orb
