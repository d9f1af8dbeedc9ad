#pragma once
// The program's unattended runs for tests and measurements, kept out of the program's own
// code: main hands them the window and the options it read, and nothing else reaches them.
#include <QString>

namespace orb {

class TMainWindow;

struct THarnessOptions {
    QString screenshotDir;  // --screenshot DIR: every page and window as PNG files
    QString demoDir;        // --demo DIR: the first drawing coloured step by step
    QString layoutReport;   // --layout-report FILE: label placement once shown
    bool quitAfterPaint = false;  // --quit-after-paint: start-up timing
    bool Unattended() const { return !screenshotDir.isEmpty() || !demoDir.isEmpty(); }
};

// Shows the window, writes the screenshots and runs the demo, then closes the window; the exit
// code (0 when every file was written).
int RunUnattended(TMainWindow& form, const THarnessOptions& options);
// For an interactive start: ends the program at the first paint, writes the layout report.
void AttachHarness(TMainWindow& form, const THarnessOptions& options);

}  // namespace orb
