// Test entry for suites that need Qt: the program's application object on the offscreen
// platform, the program folder pointed at the build's program folder.
#include <gtest/gtest.h>


#include "platform/Paths.h"
#include "platform/Resources.h"
#include "shell/Application.h"
#include "shell/Basics.h"

namespace {
// Every test starts at the base size class, whatever the test before it chose: the size
// class is program-wide state that a main window sets from its screen.
class BaseSizeClass : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        orb::SetCurrentSizeClass(orb::SizeClass::Small);
    }
};
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    orb::TApplication app(argc, argv);
    orb::SetProgramFolder(ORBELLE_PROGRAM_DIR);
    orb::RegisterProgramResources();
    orb::LoadPalettes();
    ::testing::UnitTest::GetInstance()->listeners().Append(new BaseSizeClass);
    return RUN_ALL_TESTS();
}
