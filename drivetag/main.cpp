#include "drivetag/stamper.h"
#include "platform/process.h"

// drivetag takes no options: the command line is not read.
int ProgramMain() { return drivetag::RunProgram(); }
