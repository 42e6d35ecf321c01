// What copy and follow do, in a performer's words.
#include "text/CarryWords.h"

#include <algorithm>

#include "model/SetLists.h"
#include "model/Sounds.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

std::string Count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "Bought Strings (program U-A005)".
std::string SoundWords(const FileModel& file, const RecordAt& at)
{
    const Bank& bank = file.banks[at.bank];
    return LineName(RecordOf(file, at).name) + " (" + RecordKindOf(bank.kind)->noun + " " +
           RecordPlaceText(bank, at.number) + ")";
}

// "Friday Gig (7 songs)", or "set list 006, empty" where nothing plays in it.
std::string SetListWords(const FileModel& file, std::size_t number)
{
    const SetList& list = *SetListOf(file, number).list;
    const std::size_t songs = UsedSlotCount(list);
    if (songs == 0)
        return "set list " + Pad3(static_cast<unsigned>(number)) + ", empty now";
    return LineName(list.name) + " (" + Count(songs, "song", "songs") + ", set list " +
           Pad3(static_cast<unsigned>(number)) + ")";
}

// What was typed for a place, without the command's option before it.
std::string Typed(const std::string& asked)
{
    if (asked.rfind("--", 0) == 0) {
        const std::size_t space = asked.find(' ');
        return space == std::string::npos ? std::string() : asked.substr(space + 1);
    }
    return asked;
}

std::string SongWords(const FileModel& file, const SlotAt& at)
{
    const SetList& list = *SetListOf(file, at.setList).list;
    return LineName(list.slots[at.slot].name) + " (song " + Pad3(static_cast<unsigned>(at.slot)) + " of " +
           LineName(list.name) + ")";
}

std::vector<std::string> RefusalWords(const FileModel& src, const FileModel& dest, const CopyRefusal& refusal)
{
    const std::string typed = "\"" + LineText(Typed(refusal.asked)) + "\"";
    const std::string srcName = LineText(src.name), destName = LineText(dest.name);
    switch (refusal.kind) {
    case CopyRefusal::NoSuchBank: return {typed + ": " + (refusal.inSrc ? srcName : destName) + " holds no such bank"};
    case CopyRefusal::PastTheEnd: return {typed + " runs past the end of its bank (places 000 to 127)"};
    case CopyRefusal::OtherEngine: {
        const auto engine = [](ChunkId id) {
            const BankChunkInfo* info = BankChunkOf(id);
            return std::string(info != nullptr && info->engine[0] != '\0' ? info->engine : "combination");
        };
        return {typed + ": " + engine(refusal.srcChunk) + " programs cannot be stored in a bank of " +
                engine(refusal.destChunk) + " programs"};
    }
    case CopyRefusal::Overlap:
        return {typed + " and \"" + LineText(Typed(refusal.other)) + "\" would store sounds in the same places"};
    case CopyRefusal::NoSuchSetList: return {(refusal.inSrc ? srcName : destName) + " holds no such set list"};
    case CopyRefusal::NoToBank:
        return {destName + " holds no " + RecordKindOf(refusal.recordKind)->noun + " bank " + typed};
    case CopyRefusal::ToBankFull:
        return {"Bank " + typed + " has no room left: every place is taken, or played by songs of " + destName};
    case CopyRefusal::NoPlaceNamed:
        return {typed + ": choose where in " + destName + " they go (I-A000=U-G000), or a bank to store them in"};
    case CopyRefusal::LastCopy:
        return {SoundWords(dest, refusal.records.front()) + " is stored nowhere else in " + destName +
                " and would be lost: writing over it is a choice (Write over sounds)"};
    case CopyRefusal::SoundsMissing: {
        std::vector<std::string> lines{"The songs copied play sounds " + destName +
                                       " does not hold: choose a bank to store them in:"};
        for (const RecordAt& at : refusal.records)
            lines.push_back("  " + SoundWords(src, at));
        return lines;
    }
    case CopyRefusal::PlayedBySlots: {
        std::vector<std::string> lines{SoundWords(dest, refusal.records.front()) + " is played by songs of " + destName +
                                       ": writing over it is a choice (Write over sounds); then"};
        for (const SlotAt& at : refusal.slots)
            lines.push_back("  " + SongWords(dest, at) + " would play " + LineName(RecordOf(src, refusal.records.back()).name));
        return lines;
    }
    }
    return {typed + " cannot be copied"};
}

constexpr const char* CombinationsWords = "Combinations name the programs they play by their places, and are not "
                                          "updated: a combination may then play other programs.";

}   // namespace

CarryWords CopyWords(const FileModel& src, const FileModel& dest, const CopyPlan& plan)
{
    CarryWords said;
    for (const CopyRefusal& refusal : plan.refusals)
        for (std::string& line : RefusalWords(src, dest, refusal))
            said.refusals.push_back(std::move(line));
    if (!plan.refusals.empty())
        return said;
    for (const CopyRefusal& warning : plan.warnings)
        said.warnings.push_back(SoundWords(dest, warning.records.front()) + " is stored nowhere else in " +
                                LineText(dest.name) + " and will be lost");
    if (plan.combinationsCopied || plan.programsWrittenOver)
        said.warnings.push_back(CombinationsWords);
    std::size_t retargeted = 0;
    for (const SetListWrite& write : plan.setLists) {
        const SetList& from = *SetListOf(src, write.src).list;
        const std::size_t songs = UsedSlotCount(from);
        said.lines.push_back(SetListWords(dest, write.dest) + " will be replaced by " + LineName(from.name) + " (" +
                             Count(songs, "song", "songs") + ") from " + LineText(src.name));
        for (const SlotWrite& slot : write.slots)
            if (slot.playsRecord && !(slot.to == slot.from)) {
                ++retargeted;
                said.lines.push_back("  " + LineName(from.slots[slot.slot].name) + " will play " + LineName(slot.name) +
                                     " from " + SlotTypeText(slot.to.type) + " " + PlaceText(slot.to));
            }
    }
    for (const RecordWrite& write : plan.records) {
        const Record& now = RecordOf(dest, write.to);
        const Bank& to = dest.banks[write.to.bank];
        said.lines.push_back(SoundWords(src, write.from) + " will be stored at " + RecordPlaceText(to, write.to.number) +
                             (now.zeroed ? ", an empty place" : ", in place of " + LineName(now.name)) +
                             (write.forSetList ? ", for the songs copied" : ""));
    }
    said.lines.push_back(Count(plan.setLists.size(), "set list", "set lists") + " and " +
                         Count(plan.records.size(), "sound", "sounds") + " copied; " +
                         Count(retargeted, "song plays its sound", "songs play their sounds") + " from another place");
    return said;
}

CarryWords FollowWords(const FileModel& oldFile, const FileModel& newFile, const std::vector<FollowStep>& steps)
{
    CarryWords said;
    std::size_t lost = 0;
    bool programs = false;
    for (const FollowStep& step : steps) {
        const std::string song = SongWords(newFile, step.at);
        if (step.lost) {
            ++lost;
            said.warnings.push_back(song + " played " + SoundWords(oldFile, step.played) + ", which " +
                                    LineText(newFile.name) + (step.hidden ? " holds only where a later bank hides it"
                                                                          : " no longer holds") +
                                    ": it stays as it is");
            continue;
        }
        programs = programs || step.to.type == SlotType::Prog;
        said.lines.push_back(song + " will play " + LineName(RecordOf(newFile, step.now).name) + " from its new place, " +
                             SlotTypeText(step.to.type) + " " + PlaceText(step.to));
    }
    const bool combinations = std::any_of(newFile.banks.begin(), newFile.banks.end(),
                                          [](const Bank& bank) { return bank.kind == Kind::CMB1; });
    if (programs && combinations)
        said.warnings.push_back(CombinationsWords);
    said.lines.push_back(Count(steps.size() - lost, "song plays its sound", "songs play their sounds") +
                         " from the new places" + (lost ? "; " + Count(lost, "sound is", "sounds are") + " lost" : ""));
    return said;
}

std::string AskedWrongWords(const std::string& typed)
{
    return "\"" + LineText(typed) + "\" is not a place, a run of places or a bank (I-A000, I-A000..I-A015, "
           "I-A000=U-G000, I-A=U-G)";
}

std::string BankRoomWords(const FileModel& file, const BankRoom& room)
{
    const Bank& bank = file.banks[room.bank];
    std::string words = LineName(bank.name) + " (" + RecordKindOf(bank.kind)->noun + "s): " +
                        Count(room.empty, "empty place", "empty places");
    if (room.shared)
        words += ", " + Count(room.shared, "place holds a sound", "places hold sounds") + " stored elsewhere too";
    if (room.played)
        words += ", " + Count(room.played, "played by songs", "played by songs");
    if (room.last)
        words += ", " + Count(room.last, "holds the only copy of its sound", "hold the only copy of their sounds");
    return words;
}

}   // namespace scry
