#include "platform/process.h"

// The C runtime's wide start-up: it splits the command line into __wargv.
extern "C" int wmain() { return ProgramMain(); }
