#include "shell/ProgramInfo.h"

#include <cstdio>
#include <cstring>

#ifndef ORBELLE_VERSION
#define ORBELLE_VERSION "unknown"
#endif

namespace {

// The options as the README lists them, in English whatever the chosen language.
constexpr const char kUsage[] =
    "Usage: orbelle [option...]\n"
    "       orbelle uninstall\n"
    "Colour mandala line drawings and read about the history of the mandala.\n"
    "\n"
    "  uninstall            close a running Orbelle and start the uninstaller of the\n"
    "                       installation\n"
    "  --lang 31, --lang 44 Dutch (31) or English (44) without asking in the intro window\n"
    "  --screen WxH         simulate a screen size, e.g. --screen 800x600\n"
    "  --depth N            simulate a colour depth: 1, 4, 8, 16, 24 or 32 bits\n"
    "  --screenshot DIR     render the pages and dialogs to PNG files in DIR and exit\n"
    "                       (no display needed)\n"
    "  --demo DIR           colour the first drawing offscreen, a screenshot per step,\n"
    "                       the result as BMP, and exit\n"
    "  --quit-after-paint   exit once the main window has painted\n"
    "  -h, --help           print this help and exit\n"
    "  -v, --version        print the version and exit\n"
    "\n"
    "Qt's own options (-platform, -display, -style, ...) are accepted as well.\n"
    "ORBELLE_INSTANCE names the instance a second start brings to the front.\n";

bool Is(const char* arg, const char* name) { return std::strcmp(arg, name) == 0; }

}  // namespace

int AnswerInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        // The values of our options are not options themselves: "--screenshot -h" names a
        // folder.
        if (Is(a, "--screen") || Is(a, "--depth") || Is(a, "--lang") || Is(a, "--demo") ||
            Is(a, "--screenshot") || Is(a, "--layout-report")) {
            ++i;
            continue;
        }
        if (Is(a, "--help") || Is(a, "-h") || Is(a, "-help")) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (Is(a, "--version") || Is(a, "-v")) {
            std::printf("Orbelle %s\n", ORBELLE_VERSION);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return -1;
}
