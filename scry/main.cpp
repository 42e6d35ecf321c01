// scry: what a PCG file holds, what changed between two, and its data for spreadsheets and scripts.
#include "command/Run.h"

int main(int argc, char** argv) { return scry::RunScry(argc, argv); }
