#include "shell/LangState.h"

namespace orb {
int LngID = 44;
QString LngFileName;
}  // namespace orb
