// scry's operations on bytes: files in as their bytes, models, texts and new files out, each new
// file verified in memory before it is handed back. Every front end calls these (the command
// line, a page in a browser, a test); none of them touches a path, a thread or the console.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Platform.h"
#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Made.h"
#include "model/Model.h"
#include "write/Carry.h"
#include "write/SetListEdit.h"
#include "write/Written.h"

namespace scry::ops {

// A file as its bytes, which must outlive whatever is made of them. Where the caller holds them
// as a file it reads by calls, stream reads the same bytes, so that reading a new file made of
// them whole faults in no page of a mapping.
struct FileBytes {
    std::string name;
    std::string_view bytes;
    const InputStream* stream = nullptr;
};

// A file's bytes read (never through its stream): its model, or why it is no PCG file that can be read (refusal, and
// the reader's words in detail where it gave any).
struct Loaded {
    std::string name;   // as the file was given
    std::optional<FileModel> model;
    Refusal refusal = Refusal::Empty;
    std::string detail;
};
Loaded Load(const FileBytes& file);

// A new PCG file made of the bytes of another (its source) and verified in memory.
struct NewPcg {
    NewFile file;                     // its pieces over the source's bytes
    std::vector<ByteRange> changed;   // where it may differ from its source
    FileModel model;                  // the new bytes, read
};

// Why copy or follow makes no file, as data: every front end decides from it, and says it in its
// own words.
enum class CarryRefusal : std::uint8_t {
    None,
    NothingAsked,         // copy: the ask holds no record and no set list
    DestinationDamaged,   // the file written into does not read whole: nothing is planned
    PlanRefused,          // copy: the plan's refusals say why
};

// copy: SRC's records and set lists into a copy of DEST, as the plan of ask says. made only where
// nothing is refused and make is asked (a dry run plans alone), and the new file verifies.
struct CopyOutcome {
    CarryRefusal refusal = CarryRefusal::None;
    CopyPlan plan;
    std::optional<NewPcg> made;
    MadeVerdict verdict;
};
CopyOutcome Copy(const FileBytes& src, const FileModel& srcModel, const FileBytes& dest, const FileModel& destModel,
                 const CopyAsk& ask, bool make);

// follow: NEW's set-list slots retargeted to where the sounds they played in OLD now are.
struct FollowOutcome {
    CarryRefusal refusal = CarryRefusal::None;   // DestinationDamaged where NEW does not read whole
    std::vector<FollowStep> steps;
    std::optional<NewPcg> made;
    MadeVerdict verdict;
};
FollowOutcome Follow(const FileModel& oldModel, const FileBytes& newFile, const FileModel& newModel, bool make);

// apply: set lists written into a copy of the file, as edits (values, as a page holds them) or as
// texts (read into edits first). made only where no edit has a fault.
struct ApplyOutcome {
    std::vector<std::string> sources;     // each edit's source, in order: the faults' words name it
    std::vector<SetListText> lists;       // each edit's set list as read, in order
    std::vector<AppliedFault> faults;     // each with its edit, set list, line, slot and field
    std::vector<AppliedFault> warnings;   // written as asked, and worth a word
    std::vector<SetListChange> changes;   // for each edit, its name and the slots whose bytes changed
    std::optional<NewPcg> made;
    MadeVerdict verdict;
};
ApplyOutcome Apply(const FileBytes& file, const FileModel& model, std::vector<SetListEdit> edits,
                   bool ignoreFingerprint);
ApplyOutcome Apply(const FileBytes& file, const FileModel& model, const std::vector<NamedText>& texts,
                   bool ignoreFingerprint);
// A fault's or a warning's words: "TEXT:line: reason".
std::string FaultWords(const ApplyOutcome& applied, const AppliedFault& fault);

// The whole new file, as the bytes a download or a test takes.
std::string BytesOf(const NewPcg& made);

}   // namespace scry::ops
