// bankscry's progress log: the line (or piece of a line) of every step of the walk.
#pragma once

#include "PCG_readK/Walk.h"

// Writes the note's text to the log (see Output.h); a failed write raises.
void LogWalkNote(const WalkNote& note);
