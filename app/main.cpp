// Bankscry: lists the set lists, programs and combinations of PCG files with their fingerprints.
#include "app/Run.h"

int main(int argc, char** argv) { return RunDriver(argc, argv); }
