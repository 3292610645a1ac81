#include "Scanner/ScannerEntry.h"

int main(int argc, char** argv)
{
    return ScannerEntry::Main(argc, argv);
}
