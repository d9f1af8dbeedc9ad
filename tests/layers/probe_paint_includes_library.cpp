// Must build: paint/ may use library/ and platform/.
#include "library/Palette.h"
#include "paint/Tools.h"
#include "platform/Cursors.h"
int probe_down() { return orb::crPen; }
