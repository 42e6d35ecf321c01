// scry's command line: its commands, their options and its exit status. main only hands over;
// tests run it in their own process, with the console's streams as texts.
#pragma once

#include <string>
#include <vector>

#include "command/Session.h"

namespace scry {

// args: the words after the program's name. Gives the exit status (see Status).
int RunScry(const std::vector<std::string>& args, Console& console);
// The process's own command line and standard streams.
int RunScry(int argc, char** argv);

// The command nearest to a word that is none, for "did you mean"; "" when none is near.
std::string NearestCommand(const std::string& word);

}   // namespace scry
