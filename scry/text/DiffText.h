// The comparison in words: one line per difference, and the summary, as scry diff writes them.
#pragma once

#include <string>

#include "model/Compare.h"

namespace scry {

// "SLOT 001/007 \"Party Organ\" (Wedding Set): moved from 001/006; volume 110, was 90"
std::string DiffLine(const Comparison& comparison, const Difference& difference);
// "3 differences: 1 renamed, 2 changed, 0 moved, 0 copied, 0 added, 0 removed, 0 slot settings",
// what could not be read where there is some, then SoundSummary and which file is damaged.
std::string DiffSummary(const Comparison& comparison);
// "; 3 slots play another sound", or nothing where none does.
std::string SoundSummary(const Comparison& comparison);
// Every line of the comparison, then its summary where there is anything to say.
std::string DiffText(const Comparison& comparison);
// history's lines of a comparison: DiffText's, but a bank of NEW whose records at the same place
// mostly hold another sound (a bank loaded over another) is one line in place of its records':
// "PROGRAM BANK U-A: 126 of its 128 programs hold another sound, 2 renamed (--all: a line each)";
// all: DiffText. Versions that do not differ: "no differences".
std::string HistoryText(const Comparison& comparison, bool all);
// history's heading of a version: "== NAME (after PREVIOUS)", its line end with it.
std::string VersionHeading(const std::string& name, const std::string& previous);
// history's word on a version of another origin, with the share of places alike (percent); more:
// versions follow, compared with previous.
std::string NotVersionsText(const std::string& name, const std::string& previous, unsigned percent, bool more);
// A record that went or came with its whole bank (gone: it went): "PROGRAM I-A012 "Name": gone with its bank".
std::string RecordWithItsBankLine(const Bank& bank, std::size_t number, bool gone);

}   // namespace scry
