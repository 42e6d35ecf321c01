// Follow and copy in words: the WHAT of a copy as the command line writes it, one line per slot
// retargeted or lost and per record or set list copied, their summaries, and why a copy cannot
// be made.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Made.h"

namespace scry {

// "I-A000..I-A015=U-G000", "I-A003=U-B010" or "I-A=U-G" (a whole bank) for records of a kind, or
// any of those without "=PLACE" (into the free places of --to's bank); false with why where the
// text is none of those.
bool RecordRangeOf(ChunkKind kind, const std::string& text, RecordRange& range, std::string& why);
// "5=12": set list 5 of SRC into set list 12 of DEST.
bool SetListCopyOf(const std::string& text, SetListCopy& copy, std::string& why);

// What copy is asked, as its options give it: each --prog, --combi and --setlist read, --to and
// --force; a line in wrong for each that cannot be read ("--setlist 5: ...").
struct CopyOptionTexts {
    std::vector<std::string> programs;
    std::vector<std::string> combis;
    std::vector<std::string> setLists;
    std::optional<std::string> to;
    bool force = false;
};
CopyAsk CopyAskOf(const CopyOptionTexts& options, std::vector<std::string>& wrong);

// What copy and follow say of a plan: its lines, and what goes beside them as warnings and notes
// (of a plan refused: the reasons alone).
struct CarrySaid {
    std::vector<std::string> lines;
    std::vector<std::string> errors;
};
// The lines and words of a copy planned (nothing of them where it is refused but the reasons).
CarrySaid CopySaid(const FileModel& src, const FileModel& dest, const CopyPlan& plan);
// The lines and words of follow's steps; lost: some slot's sound is not in NEW.
CarrySaid FollowSaid(const FileModel& oldFile, const FileModel& newFile, const std::vector<FollowStep>& steps,
                     bool& lost);

// "SLOT 001/003 \"Celebration Brass\" (Wedding Set): Prog I-A081 -> Prog U-C004 \"Silky Violins\"",
// or "...: lost, \"Saw Lead\" (Prog U-C010 in OLD) is not in NEW".
std::string FollowLine(const FileModel& oldFile, const FileModel& newFile, const FollowStep& step);
// "12 slots retargeted, 1 lost"
std::string FollowSummary(const std::vector<FollowStep>& steps);

// The lines of a copy made: each record and set list written, each slot that plays another place.
std::vector<std::string> CopyLines(const FileModel& src, const FileModel& dest, const CopyPlan& plan);
// "16 records copied, 1 set list copied, 5 slots retargeted, 2 sounds copied in for them"
std::string CopySummary(const CopyPlan& plan);
// Why a copy cannot be made, a line each: "--prog I-A000..I-A200=U-G000: runs past the end of its bank".
std::vector<std::string> RefusalLines(const FileModel& src, const FileModel& dest, const CopyRefusal& refusal);
// A last copy written over with --force: "warning: --to U-AA: writes over Prog U-AA000 "My Stage
// Piano", which is in no other place: the copy no longer holds its sound".
std::string WarningLine(const FileModel& dest, const CopyRefusal& warning);
// Why a new file made in memory was not handed back, for "NAME not written: ...".
std::string MadeFaultText(const MadeVerdict& verdict);
// What a check of a new file found, as a clause: "slot 000/003 does not play the sound it played".
std::string ReadBackText(const ReadBackFault& fault);

}   // namespace scry
