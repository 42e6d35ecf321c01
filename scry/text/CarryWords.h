// What copy and follow do, in a performer's words: the songs and sounds by their names, the files
// by theirs, never the command line's. What they say is what the commands say in substance, from
// the same plans: every refusal and every warning.
#pragma once

#include <string>
#include <vector>

#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Model.h"

namespace scry {

struct CarryWords {
    std::vector<std::string> lines;      // what will be done, then how much
    std::vector<std::string> warnings;   // done all the same, and worth knowing first
    std::vector<std::string> refusals;   // why nothing can be done as asked
};

CarryWords CopyWords(const FileModel& src, const FileModel& dest, const CopyPlan& plan);
CarryWords FollowWords(const FileModel& oldFile, const FileModel& newFile, const std::vector<FollowStep>& steps);

// What is wrong with a place, a range or a bank typed to copy ("I-A000..I-A015=U-G000").
std::string AskedWrongWords(const std::string& typed);

// A bank's room, as a choice of where sounds go says it: "U-AA (programs): 120 empty places, 5
// places hold sounds stored elsewhere too, 3 played by songs".
std::string BankRoomWords(const FileModel& file, const BankRoom& room);

}   // namespace scry
