// Words of follow and copy.
#include "text/CarryText.h"

#include <algorithm>
#include <cctype>

#include "Korg_Kronos_Defs/BankNames.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// "I-A015" into a bank's name and a number; "I-A" into a name alone (number -1).
bool PlaceOf(const std::string& text, std::string& bank, int& number)
{
    const std::string place = Upper(text);
    std::size_t digits = 0;
    while (digits < place.size() && std::isdigit(static_cast<unsigned char>(place[place.size() - 1 - digits])))
        ++digits;
    if (digits != 0 && digits != 3)
        return false;
    bank = place.substr(0, place.size() - digits);
    number = digits == 0 ? -1 : std::stoi(place.substr(place.size() - 3));
    return !bank.empty();
}

bool BankOf(ChunkKind kind, const std::string& name, std::uint32_t& id)
{
    return BankIdOfName(kind == Kind::CMB1 ? CombiBankType : HD1BankType, name, id);
}

std::string PlaysOf(const FileModel& file, const Target& target) { return PlaysText(WhatSlotPlays(file, target)); }

std::string RecordText(const FileModel& file, const RecordAt& at)
{
    const Bank& bank = file.banks[at.bank];
    return std::string(SlotTypeText(RecordKindOf(bank.kind)->playedAs)) + " " + RecordPlaceText(bank, at.number) + " " +
           Quoted(RecordOf(file, at).name);
}

const char* Engine(ChunkId id)
{
    const BankChunkInfo* info = BankChunkOf(id);
    return info != nullptr && info->engine[0] != '\0' ? info->engine : "combination";
}

std::string Plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}   // namespace

bool RecordRangeOf(ChunkKind kind, const std::string& text, RecordRange& range, std::string& why)
{
    range = RecordRange{kind, 0, 0, 0, 0, 0, text};
    const std::size_t equals = text.find('=');
    range.intoTo = equals == std::string::npos;
    const std::string from = text.substr(0, equals);
    const std::size_t dots = from.find("..");
    std::string firstBank, lastBank, toBank;
    int first = 0, last = 0, to = -1;
    const bool placed = PlaceOf(from.substr(0, dots), firstBank, first) &&
                        (dots == std::string::npos || PlaceOf(from.substr(dots + 2), lastBank, last)) &&
                        (range.intoTo || PlaceOf(text.substr(equals + 1), toBank, to));
    // A whole bank goes into a whole bank, or into --to's free places; places into places, or the same.
    const bool wholeBanks = placed && first < 0 && dots == std::string::npos && (range.intoTo || to < 0);
    const bool places = placed && first >= 0 && (range.intoTo || to >= 0) &&
                        (dots == std::string::npos || (last >= 0 && lastBank == firstBank));
    // Without "=", a bank no one knows is more likely a mistyped form than a bank.
    if ((!wholeBanks && !places) || (range.intoTo && !BankOf(kind, firstBank, range.srcBank))) {
        why = "not PLACE=PLACE, FIRST..LAST=PLACE or BANK=BANK (I-A000..I-A015=U-G000, I-A=U-G), or those without "
              "=PLACE for the free places of --to's bank";
        return false;
    }
    if (!BankOf(kind, firstBank, range.srcBank) || (!range.intoTo && !BankOf(kind, toBank, range.destBank))) {
        why = "no " + std::string(RecordKindOf(kind)->noun) + " bank is named " +
              (BankOf(kind, firstBank, range.srcBank) ? toBank : firstBank);
        return false;
    }
    range.srcFirst = wholeBanks ? 0 : static_cast<std::size_t>(first);
    range.destFirst = wholeBanks || range.intoTo ? 0 : static_cast<std::size_t>(to);
    const int end = dots == std::string::npos ? first : last;
    if (!wholeBanks && end < first) {
        why = "the range ends before it begins";
        return false;
    }
    range.count = wholeBanks ? RecordsPerBank : static_cast<std::size_t>(end - first + 1);
    return true;
}

bool SetListCopyOf(const std::string& text, SetListCopy& copy, std::string& why)
{
    copy = SetListCopy{0, 0, text};
    const std::size_t equals = text.find('=');
    const auto number = [](const std::string& part, std::size_t& value) {
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c); }))
            return false;
        value = std::stoul(part);
        return value < RecordsPerBank;
    };
    if (equals == std::string::npos || !number(text.substr(0, equals), copy.src) ||
        !number(text.substr(equals + 1), copy.dest)) {
        why = "not N=M, set lists 0 to 127 (5=12: SRC's set list 5 into DEST's set list 12)";
        return false;
    }
    return true;
}

std::string FollowLine(const FileModel& oldFile, const FileModel& newFile, const FollowStep& step)
{
    const Slot& slot = SetListOf(newFile, step.at.setList).list->slots[step.at.slot];
    const std::string head = SlotHeadText(newFile, step.at, slot.name) + ": ";
    if (step.lost) {
        const Bank& bank = oldFile.banks[step.played.bank];
        const char* type = SlotTypeText(RecordKindOf(bank.kind)->playedAs);
        const std::string lost = head + "lost, " + Quoted(RecordOf(oldFile, step.played).name) + " (" + type + " " +
                                 RecordPlaceText(bank, step.played.number) + " in OLD) is ";
        if (!step.hidden)
            return lost + "not in NEW";
        const Bank& behind = newFile.banks[step.hiddenAt.bank];
        return lost + "in NEW only at " + type + " " + RecordPlaceText(behind, step.hiddenAt.number) +
               ", which a later " + LineName(behind.name) + " bank hides from every slot";
    }
    std::string line =
        head + SlotTypeText(step.from.type) + " " + PlaceText(step.from) + " -> " + PlaysOf(newFile, step.to);
    if (step.among > 1)
        line += " (chosen among " + std::to_string(step.among) + " places that hold that sound)";
    return line;
}

std::string FollowSummary(const std::vector<FollowStep>& steps)
{
    const auto lost =
        static_cast<std::size_t>(std::count_if(steps.begin(), steps.end(), [](const FollowStep& s) { return s.lost; }));
    return Plural(steps.size() - lost, "slot retargeted", "slots retargeted") + ", " + std::to_string(lost) + " lost";
}

std::vector<std::string> CopyLines(const FileModel& src, const FileModel& dest, const CopyPlan& plan)
{
    std::vector<std::string> lines;
    for (const RecordWrite& write : plan.records) {
        const Bank& to = dest.banks[write.to.bank];
        const Bank& from = src.banks[write.from.bank];
        lines.push_back(std::string(RecordKindOf(to.kind)->word) + " " + RecordPlaceText(to, write.to.number) + " " +
                        Quoted(RecordOf(src, write.from).name) + ": copied from SRC's " +
                        RecordPlaceText(from, write.from.number) +
                        (write.forSetList ? ", a sound a set list copied plays" : "") + ", was " +
                        Quoted(RecordOf(dest, write.to).name));
    }
    for (const SetListWrite& write : plan.setLists) {
        const SetList& from = *SetListOf(src, write.src).list;
        lines.push_back(SetListLabel(dest, {0, write.dest}) + " " + Quoted(from.name) +
                        ": copied from SRC's set list " + Pad3(static_cast<unsigned>(write.src)) + ", was " +
                        Quoted(SetListOf(dest, write.dest).list->name));
        for (const SlotWrite& slot : write.slots)
            if (slot.playsRecord && !(slot.to == slot.from))
                lines.push_back("SLOT " + SlotKey(write.dest, slot.slot) + " " + Quoted(from.slots[slot.slot].name) +
                                " (" + LineName(from.name) + "): " + SlotTypeText(slot.from.type) + " " +
                                PlaceText(slot.from) + " -> " + SlotTypeText(slot.to.type) + " " + PlaceText(slot.to) +
                                " " + Quoted(slot.name));
    }
    return lines;
}

std::string CopySummary(const CopyPlan& plan)
{
    std::size_t soundsIn = 0, retargeted = 0;
    for (const RecordWrite& write : plan.records)
        soundsIn += write.forSetList;
    for (const SetListWrite& write : plan.setLists)
        for (const SlotWrite& slot : write.slots)
            retargeted += slot.playsRecord && !(slot.to == slot.from);
    return Plural(plan.records.size(), "record copied", "records copied") + ", " +
           Plural(plan.setLists.size(), "set list copied", "set lists copied") + ", " +
           Plural(retargeted, "slot retargeted", "slots retargeted") + ", " +
           Plural(soundsIn, "sound copied in for them", "sounds copied in for them");
}

std::vector<std::string> RefusalLines(const FileModel& src, const FileModel& dest, const CopyRefusal& refusal)
{
    const std::string head = LineText(refusal.asked) + ": ";
    switch (refusal.kind) {
    case CopyRefusal::NoSuchBank: return {head + (refusal.inSrc ? "SRC" : "DEST") + " holds no such bank"};
    case CopyRefusal::PastTheEnd: return {head + "runs past the end of its bank (000 to 127)"};
    case CopyRefusal::OtherEngine:
        return {head + "a bank of " + Engine(refusal.srcChunk) + " programs into a bank of " +
                Engine(refusal.destChunk) + " programs"};
    case CopyRefusal::Overlap: return {head + "writes places that " + LineText(refusal.other) + " writes too"};
    case CopyRefusal::NoSuchSetList: return {head + (refusal.inSrc ? "SRC" : "DEST") + " holds no such set list"};
    case CopyRefusal::NoToBank:
        return {head + "DEST holds no " + RecordKindOf(refusal.recordKind)->noun + " bank of that place"};
    case CopyRefusal::ToBankFull: return {head + "every place of that bank is taken, or played by slots of DEST"};
    case CopyRefusal::NoPlaceNamed:
        return {head + "names no place of DEST: =PLACE names one, or --to BANK puts them in the free places of a bank"};
    case CopyRefusal::LastCopy:
        return {head + "writes over " + RecordText(dest, refusal.records.front()) +
                ", which is in no other place (--force writes over it all the same)"};
    case CopyRefusal::SoundsMissing: {
        std::vector<std::string> lines{
            "the set lists copied play sounds DEST does not hold; --to BANK copies them in:"};
        for (const RecordAt& at : refusal.records)
            lines.push_back("  " + RecordText(src, at));
        return lines;
    }
    case CopyRefusal::PlayedBySlots: {
        std::vector<std::string> lines{head + "writes over " + RecordText(dest, refusal.records.front()) +
                                       ", which slots of DEST play (--force writes it all the same):"};
        for (const SlotAt& at : refusal.slots)
            lines.push_back("  " + SlotHeadText(dest, at, SetListOf(dest, at.setList).list->slots[at.slot].name) +
                            " would then play " + Quoted(RecordOf(src, refusal.records.back()).name));
        return lines;
    }
    }
    return {head + "cannot be copied"};
}

std::string WarningLine(const FileModel& dest, const CopyRefusal& warning)
{
    return "warning: " + LineText(warning.asked) + ": writes over " + RecordText(dest, warning.records.front()) +
           ", which is in no other place: the copy no longer holds its sound";
}

std::string ReadBackText(const ReadBackFault& fault)
{
    using Kind = ReadBackFault::Kind;
    const std::string setList = "set list " + Pad3(static_cast<unsigned>(fault.slot.setList));
    switch (fault.kind) {
    case Kind::None: break;
    case Kind::OtherSize:
        return "it is " + std::to_string(fault.size) + " bytes long, its source " + std::to_string(fault.sourceSize);
    case Kind::ByteOutside:
        return "byte " + std::to_string(fault.at) +
               " differs from the file it was made from, outside what was to change";
    case Kind::Damaged: return "it reads as damaged (" + ProblemText(fault.problem) + ")";
    case Kind::SlotLostSound: return "slot " + SlotKey(fault.slot) + " does not play the sound it played";
    case Kind::RecordNotCopied: {
        const RecordKind* kind = RecordKindOf(fault.place.kind);
        return std::string(kind != nullptr ? SlotTypeText(kind->playedAs) : "Record") + " " +
               RecordPlaceText(fault.bankName, fault.occurrence, fault.occurrences, fault.place.number) +
               " does not hold what it was to";
    }
    case Kind::SetListNotCopied: return setList + " does not read back as the one copied";
    case Kind::SlotOtherSound: return "slot " + SlotKey(fault.slot) + " does not play the sound it plays in the source";
    case Kind::SetListNotAsText: return setList + " does not read back as its text says";
    case Kind::SlotNotAsLine: return "slot " + SlotKey(fault.slot) + " does not read back as its line says";
    }
    return "";
}

std::string MadeFaultText(const MadeVerdict& verdict)
{
    switch (verdict.fault) {
    case MadeFault::None: break;
    case MadeFault::Unreadable:
        return "it cannot be read back (" +
               (verdict.readerWords.empty() ? std::string("no PCG file") : verdict.readerWords) + ")";
    case MadeFault::ChangedOutside:
    case MadeFault::ReadsOtherwise: return ReadBackText(verdict.found);
    }
    return "";
}

namespace {

constexpr const char* CombinationsNote =
    "note: combinations name the programs their timbres play by place, and scry does not update them: ";

}   // namespace

CopyAsk CopyAskOf(const CopyOptionTexts& options, std::vector<std::string>& wrong)
{
    CopyAsk ask;
    const auto ranges = [&](ChunkKind kind, const std::vector<std::string>& texts, const char* option) {
        for (const std::string& text : texts) {
            RecordRange range{};
            std::string why;
            if (RecordRangeOf(kind, text, range, why)) {
                range.asked = std::string(option) + " " + text;
                ask.records.push_back(range);
            } else {
                wrong.push_back(std::string(option) + " " + LineText(text) + ": " + why);
            }
        }
    };
    ranges(Kind::PRG1, options.programs, "--prog");
    ranges(Kind::CMB1, options.combis, "--combi");
    for (const std::string& text : options.setLists) {
        SetListCopy copy{};
        std::string why;
        if (SetListCopyOf(text, copy, why)) {
            copy.asked = "--setlist " + text;
            ask.setLists.push_back(copy);
        } else {
            wrong.push_back("--setlist " + LineText(text) + ": " + why);
        }
    }
    ask.to = options.to;
    ask.force = options.force;
    return ask;
}

CarrySaid CopySaid(const FileModel& src, const FileModel& dest, const CopyPlan& plan)
{
    CarrySaid said;
    if (!plan.refusals.empty()) {
        for (const CopyRefusal& refusal : plan.refusals)
            for (const std::string& line : RefusalLines(src, dest, refusal))
                said.errors.push_back(line);
        return said;
    }
    for (const CopyRefusal& warning : plan.warnings)
        said.errors.push_back(WarningLine(dest, warning));
    if (plan.combinationsCopied || plan.programsWrittenOver)
        said.errors.push_back(std::string(CombinationsNote) +
                              "a combination copied, or one of DEST that plays a program written over, may now play "
                              "other programs");
    said.lines = CopyLines(src, dest, plan);
    said.lines.push_back(CopySummary(plan));
    return said;
}

CarrySaid FollowSaid(const FileModel& oldFile, const FileModel& newFile, const std::vector<FollowStep>& steps,
                     bool& lost)
{
    CarrySaid said;
    bool programs = false;
    lost = false;
    for (const FollowStep& step : steps) {
        said.lines.push_back(FollowLine(oldFile, newFile, step));
        programs = programs || (!step.lost && step.to.type == SlotType::Prog);
        lost = lost || step.lost;
    }
    said.lines.push_back(FollowSummary(steps));
    const bool combinations = std::any_of(newFile.banks.begin(), newFile.banks.end(),
                                          [](const Bank& bank) { return bank.kind == Kind::CMB1; });
    if (programs && combinations)
        said.errors.push_back(std::string(CombinationsNote) +
                              "follow retargets set-list slots, and a combination may now play other programs");
    return said;
}

}   // namespace scry
