// Records, set lists and slot targets carried into a copy of a file's bytes, by the plans of
// follow and copy, and the checks their files must pass as they read back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Model.h"
#include "write/Written.h"

namespace scry {

struct Carried {
    NewFile made;                     // the new file, made of the bytes it was given, which must outlive it
    std::vector<ByteRange> changed;   // where it may differ from the file it was made from
};

// NEW's bytes with every slot the plan retargets playing the place of its sound.
Carried Followed(const FileModel& newFile, std::string_view newBytes, const std::vector<FollowStep>& steps);
// DEST's bytes with the plan's records and set lists of SRC written in, every slot of a set list
// copied playing the place of its sound.
Carried Copied(std::string_view srcBytes, const FileModel& src, std::string_view destBytes, const FileModel& dest,
               const CopyPlan& plan);

// Why a file read back is not what follow meant, or nothing: it reads whole, and every retargeted
// slot plays a record of the sound it played in OLD.
ReadBackFault WrongInFollowed(const FileModel& written, const FileModel& oldFile, const std::vector<FollowStep>& steps);
// The same for copy: every record written is SRC's, and every slot of a set list copied plays
// the sound it plays in SRC.
ReadBackFault WrongInCopied(const FileModel& written, const FileModel& src, const CopyPlan& plan);

}   // namespace scry
