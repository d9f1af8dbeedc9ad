#include "platform/FontSetup.h"

#include <fontconfig/fontconfig.h>

namespace orb {

// fontconfig installs its configuration atomically: should the toolkit ask for it before this
// thread is done, both read it and one copy is dropped; nothing is shared half-built.
TFontSetupAhead::TFontSetupAhead() : worker_([] { FcInit(); }) {}

void TFontSetupAhead::Join() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace orb
