#include "platform/Resources.h"

#include <QResource>

#include "platform/Paths.h"

namespace orb {

bool RegisterProgramResources() {
    static bool done = false;
    if (!done) done = QResource::registerResource(ProgramFile("orbelle.rcc"));
    return done;
}

}  // namespace orb
