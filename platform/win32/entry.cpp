#include "platform/process.h"

int main() { return ProgramMain(); }
