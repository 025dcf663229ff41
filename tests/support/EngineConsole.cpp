// The test programs of the engine's own folders check its diagnostic lines,
// which a developer switches on: here they go where the engine wrote them on
// the system it was written for, progress and warnings on standard output
// and errors on standard error.  (The control's tests keep the default: off.)
#include "analysis/ConsoleLine.h"

#include <cstdio>

namespace {

const bool g_consoleOn = (quibo::setConsoleStream(stdout), quibo::setConsoleErrorStream(stderr), true);

}  // namespace
