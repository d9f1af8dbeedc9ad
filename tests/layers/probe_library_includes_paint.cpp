// Must not build: library/ sits below paint/.
#include "paint/DtlWin.h"
int probe_library_up() { return 0; }
