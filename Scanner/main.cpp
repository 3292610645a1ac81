#include "Platform/ProcessExit.h"
#include "Scanner/ScannerEntry.h"

// The results are written when Main returns. What the probed plug-ins left
// behind must not run after that: a library that could not be unloaded would
// run its static destructors at exit, and a fault there would turn a finished
// scan into a failed one.
int main(int argc, char** argv)
{
    Platform::ExitWithoutTeardown(ScannerEntry::Main(argc, argv));
}
