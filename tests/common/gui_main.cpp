// Test entry for suites that need Qt: one QApplication on the offscreen platform, the
// program folder pointed at the build's program folder.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/Paths.h"
#include "platform/Resources.h"
#include "shell/Basics.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    orb::SetProgramFolder(ORBELLE_PROGRAM_DIR);
    orb::RegisterProgramResources();
    orb::LoadPalettes();
    return RUN_ALL_TESTS();
}
