// Set lists written in from texts, and the copy checked as it reads back before it is kept.
#include "Apply.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <system_error>

#include "OutFile/OutFile.h"
#include "Text.h"
#include "Vocabulary.h"

namespace scry {

namespace {

const Bank& FirstSetListBank(const FileModel& file)
{
    for (const Bank& bank : file.banks)
        if (bank.kind == Kind::SLS1)
            return bank;
    throw Trouble(SourceName(file.name) + " holds no set lists");
}

void PutName(char* field, const std::string& name)
{
    std::memset(field, 0, NameSize);
    std::memcpy(field, name.data(), std::min(name.size(), NameSize));
}

// Settings a line shows but cannot write: their bits are shared in the packed bytes.
struct ShownOnly {
    const char* word;
    std::uint8_t SlotFields::*field;
    const char* why;
};
constexpr ShownOnly ShownOnlySettings[] = {
    {"font", &SlotFields::font, "its bit 0 is also read from the byte that holds kbd"},
    {"transpose", &SlotFields::transpose, "its bits are also read from the byte that holds kbd"},
    {"kbd", &SlotFields::kbdTrack, "it reads bits that transpose reads too"},
};

// The slot at out from the bytes of its from slot, with the line's edits; faults for a setting
// that cannot be written.
void WriteSlot(char* out, const char* from, const Slot& source, const SlotLine& line, std::vector<TextFault>& faults)
{
    for (const ShownOnly& setting : ShownOnlySettings) {
        const unsigned wanted = line.fields.*setting.field, held = source.fields.*setting.field;
        if (wanted != held)
            faults.push_back({line.line, std::string(setting.word) + " " + std::to_string(wanted) +
                                             " cannot be written (" + setting.why + "); from " +
                                             SlotKey(line.fromSetList, line.fromSlot) + " has " +
                                             std::to_string(held)});
    }
    std::memcpy(out, from, SlotSize);
    if (line.name != source.name)
        PutName(out, line.name);
    auto* packed = reinterpret_cast<std::uint8_t*>(out + PackedSlotOffset);
    const SlotFields& f = line.fields;
    packed[0] =
        static_cast<std::uint8_t>((packed[0] & ~0x3Fu) | (f.color & 0x0Fu) << 2 | (static_cast<unsigned>(f.type) & 3u));
    packed[1] = static_cast<std::uint8_t>((packed[1] & ~0x1Fu) | (f.bank & 0x1Fu));
    packed[2] = f.number;
    packed[3] = f.holdTime;
    packed[4] = f.volume;
}

// The set list at out as its text says: its name, then a slot for each line in order, and
// unused slots (all zero) for unused lines and after the last line. Its EQ block stays.
void WriteSetList(char* out, const std::string& source, const Bank& bank, const SetListText& text,
                  std::vector<TextFault>& faults)
{
    if (text.name != bank.setLists[text.number].name)
        PutName(out, text.name);
    for (std::size_t p = 0; p < SlotsPerSetList; ++p) {
        char* slot = out + SlotsOffset + p * SlotSize;
        if (p >= text.slots.size() || text.slots[p].unused) {
            std::memset(slot, 0, SlotSize);
            continue;
        }
        const SlotLine& line = text.slots[p];
        if (line.fromSetList >= bank.setLists.size()) {
            faults.push_back(
                {line.line, "from " + SlotKey(line.fromSetList, line.fromSlot) + ": the file holds no such set list"});
            continue;
        }
        const char* from =
            source.data() + bank.offset + line.fromSetList * SetListSize + SlotsOffset + line.fromSlot * SlotSize;
        WriteSlot(slot, from, bank.setLists[line.fromSetList].slots[line.fromSlot], line, faults);
    }
}

// Whether a slot read back holds what its line says.
bool AsLineSays(const Slot& slot, const SlotLine& line)
{
    const SlotFields& a = slot.fields;
    const SlotFields& b = line.fields;
    return slot.name == line.name && a.type == b.type && a.bank == b.bank && a.number == b.number &&
           a.color == b.color && a.font == b.font && a.transpose == b.transpose && a.holdTime == b.holdTime &&
           a.volume == b.volume && a.kbdTrack == b.kbdTrack;
}

bool SameSetList(const SetList& a, const SetList& b)
{
    return a.name == b.name && a.eq == b.eq &&
           std::equal(a.slots.begin(), a.slots.end(), b.slots.begin(), b.slots.end(),
                      [](const Slot& x, const Slot& y) { return x.fingerprint == y.fingerprint && x.name == y.name; });
}

// ---- The command

constexpr std::size_t MostTextBytes = std::size_t{1} << 20;

NamedText ReadText(const std::string& name, Console& console,
                   std::vector<std::unique_ptr<InputStream, void (*)(InputStream*) noexcept>>& open)
{
    NamedText text{name, {}};
    if (name == "-") {
        if (console.in != nullptr) {
            text.text = *console.in;
        } else {
            char block[65536];
            std::size_t got = 0;
            while ((got = std::fread(block, 1, sizeof block, stdin)) > 0 && text.text.size() <= MostTextBytes)
                text.text.append(block, got);
        }
    } else {
        try {
            open.emplace_back(OpenInput(name), &CloseInput);
            InputStream& stream = *open.back();
            std::string block(65536, '\0');
            std::size_t got = 0;
            while ((got = InputRead(stream, block.data(), block.size())) > 0 && text.text.size() <= MostTextBytes)
                text.text.append(block.data(), got);
        } catch (const std::system_error& error) {
            throw Trouble(SourceName(name) + ": " + error.code().message());
        }
    }
    if (text.text.size() > MostTextBytes)
        throw Trouble(SourceName(name) + ": too large for the text of a set list");
    if (text.text.compare(0, 4, "KORG") == 0)
        throw Trouble(SourceName(name) + ": a PCG file, not the text of a set list (scry setlist writes one)");
    return text;
}

[[noreturn]] void CannotWrite(const std::string& name, const std::string& why)
{
    throw Trouble("cannot write " + LineText(name) + ": " + why);
}

// The stream holds these bytes and no more.
bool SameBytes(const InputStream& stream, const std::string& bytes)
{
    constexpr std::size_t Run = std::size_t{1} << 20;
    std::string block(Run, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(Run, bytes.size() - done);
        if (InputReadAt(stream, static_cast<std::int64_t>(done), block.data(), want) != want ||
            std::memcmp(block.data(), bytes.data() + done, want) != 0)
            return false;
        done += want;
    }
    char more = 0;
    return InputReadAt(stream, static_cast<std::int64_t>(done), &more, 1) == 0;
}

// Writes the file beside output, reads it back, and puts it in place only when it reads as
// meant; otherwise removes it and raises Trouble saying why.
void WriteChecked(const std::string& output, const FileModel& before, const Applied& applied)
{
    OutFile out{output, nullptr, {}};
    try {
        CreateOutFile(out);
        WriteOutFile(out, applied.bytes.data(), applied.bytes.size());
        CloseOutFile(out);
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        CannotWrite(output, error.code().message());
    }
    std::string wrong;
    try {
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> written(OpenInput(out.temporary), &CloseInput);
        if (!SameBytes(*written, applied.bytes))
            wrong = "the bytes read back are not those written";
        else
            wrong = WrongInWritten(before, ReadModel(*written, output), applied);
    } catch (const std::exception& error) {
        wrong = std::string("it cannot be read back: ") + error.what();
    }
    if (!wrong.empty()) {
        DiscardOutFile(out);
        throw Trouble(LineText(output) + " not written: " + wrong);
    }
    try {
        PutOutFileInPlace(out);
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        CannotWrite(output, error.code().message());
    }
}

}   // namespace

Applied ApplySetLists(const FileModel& file, const std::string& source, const std::vector<NamedText>& texts,
                      bool ignoreFingerprint)
{
    Applied applied{source, {}, {}};
    const Bank& bank = FirstSetListBank(file);
    std::map<std::size_t, std::string> given;   // set list number: where a text gives it
    for (const NamedText& named : texts) {
        std::vector<TextFault> faults;
        applied.lists.push_back(ReadSetListText(named.text, faults));
        const SetListText& text = applied.lists.back();
        const std::string number = Pad3(static_cast<unsigned>(text.number));
        const std::string where = SourceName(named.name) + ":" + std::to_string(text.numberLine);
        if (text.numberLine == 0) {
            // said by the reader
        } else if (!given.emplace(text.number, where).second) {
            faults.push_back(
                {text.numberLine, "set list " + number + " is given twice (also at " + given[text.number] + ")"});
        } else if (text.number >= bank.setLists.size()) {
            faults.push_back({text.numberLine, "the file holds no set list " + number});
        } else {
            const auto at = static_cast<std::size_t>(bank.offset) + text.number * SetListSize;
            const std::uint32_t now = SetListFingerprint(std::string_view(source).substr(at, SetListSize));
            if (text.hasFingerprint && text.fingerprint != now && !ignoreFingerprint) {
                char hex[2][9];
                std::snprintf(hex[0], sizeof hex[0], "%08X", static_cast<unsigned>(text.fingerprint));
                std::snprintf(hex[1], sizeof hex[1], "%08X", static_cast<unsigned>(now));
                faults.push_back(
                    {text.fingerprintLine, "set list " + number + " has changed in " + SourceName(file.name) +
                                               " since this text was written (fingerprint " + hex[0] + ", now " +
                                               hex[1] + "); export it again, or apply with --ignore-fingerprint"});
            }
            WriteSetList(applied.bytes.data() + at, source, bank, text, faults);
        }
        std::stable_sort(faults.begin(), faults.end(),
                         [](const TextFault& a, const TextFault& b) { return a.line < b.line; });
        for (const TextFault& fault : faults)
            applied.faults.push_back(FaultLine(named.name, fault));
    }
    return applied;
}

std::string WrongInWritten(const FileModel& before, const FileModel& written, const Applied& applied)
{
    if (written.Damaged())
        return "it reads as damaged (" + written.problems.front() + ")";
    if (written.size != before.size || written.head != before.head || written.tailSize != before.tailSize ||
        written.tailFingerprint != before.tailFingerprint || written.chunks.size() != before.chunks.size() ||
        written.banks.size() != before.banks.size())
        return "it is not laid out as the file it is a copy of";
    for (std::size_t c = 0; c < before.chunks.size(); ++c) {
        const Chunk& a = before.chunks[c];
        const Chunk& b = written.chunks[c];
        if (a.id != b.id || a.offset != b.offset || a.size != b.size ||
            (a.fingerprint != b.fingerprint && a.id != "SLS1"))
            return "chunk " + LineText(a.id) + " at offset " + std::to_string(a.offset) + " differs";
    }
    std::map<std::size_t, const SetListText*> edited;
    for (const SetListText& list : applied.lists)
        edited[list.number] = &list;
    bool firstSetLists = true;
    for (std::size_t k = 0; k < before.banks.size(); ++k) {
        const Bank& a = before.banks[k];
        const Bank& b = written.banks[k];
        if (a.id != b.id || a.name != b.name || a.offset != b.offset || a.records.size() != b.records.size() ||
            a.setLists.size() != b.setLists.size() ||
            !std::equal(a.records.begin(), a.records.end(), b.records.begin(),
                        [](const Record& x, const Record& y) { return x.fingerprint == y.fingerprint; }))
            return "bank " + BankLabel(a) + " differs";
        for (std::size_t i = 0; i < a.setLists.size(); ++i) {
            const auto text = edited.find(i);
            const std::string label = "set list " + Pad3(static_cast<unsigned>(i));
            if (!firstSetLists || text == edited.end()) {
                if (!SameSetList(a.setLists[i], b.setLists[i]))
                    return label + " differs, though no text edits it";
                continue;
            }
            const SetList& list = b.setLists[i];
            if (list.name != text->second->name || list.eq != a.setLists[i].eq)
                return label + " does not read back as its text says";
            for (std::size_t p = 0; p < list.slots.size(); ++p) {
                const std::vector<SlotLine>& lines = text->second->slots;
                const bool unused = p >= lines.size() || lines[p].unused;
                if (unused ? list.slots[p].used : !AsLineSays(list.slots[p], lines[p]))
                    return "slot " + SlotKey(i, p) + " does not read back as its line says";
            }
        }
        firstSetLists = firstSetLists && a.kind != Kind::SLS1;
    }
    return "";
}

int RunApply(const Options& options, Console& console)
{
    const std::string& output = options.output;
    if (output.empty() || output == "-" || IsStreamDevice(output))
        throw Trouble("apply writes a new PCG file: -o names it (not standard output, a FIFO or a device)");
    if (std::count(options.texts.begin(), options.texts.end(), "-") + (options.file == "-") > 1)
        throw Trouble("standard input can be read only once");
    Session session(console, {options.file}, "");
    std::vector<std::unique_ptr<InputStream, void (*)(InputStream*) noexcept>> open;
    std::vector<NamedText> texts;
    for (const std::string& name : options.texts)
        texts.push_back(ReadText(name, console, open));

    // Never over an input, a folder, or by surprise over any file.
    if (session.IsInput(output) ||
        std::any_of(open.begin(), open.end(), [&](const auto& text) { return IsInputFile(*text, output); }))
        CannotWrite(output, "it is an input of this command");
    const NameHolds holds = WhatNameHolds(output);
    if (holds == NameHolds::Folder)
        CannotWrite(output, "it is a folder");
    if (holds != NameHolds::Nothing && !options.force)
        CannotWrite(output, "it exists; --force replaces it");

    const FileModel file = session.Read(0);
    if (file.Damaged())
        throw Trouble(SourceName(file.name) + " is damaged: apply writes a copy only of a file that reads whole");
    const std::string source = session.BytesOf(0, 0, static_cast<std::size_t>(file.size));
    const Applied applied = ApplySetLists(file, source, texts, options.ignoreFingerprint);
    if (!applied.faults.empty()) {
        for (const std::string& fault : applied.faults)
            SayError(console, fault);
        SayError(console, "nothing written");
        return TroubleStatus;
    }
    WriteChecked(output, file, applied);

    std::string said;
    const Bank& bank = FirstSetListBank(file);
    for (const SetListText& list : applied.lists) {
        const auto at = static_cast<std::size_t>(bank.offset) + list.number * SetListSize + SlotsOffset;
        std::size_t changed = 0;
        for (std::size_t p = 0; p < SlotsPerSetList; ++p)
            changed +=
                std::memcmp(source.data() + at + p * SlotSize, applied.bytes.data() + at + p * SlotSize, SlotSize) != 0;
        said += "SETLIST " + Pad3(static_cast<unsigned>(list.number)) + " " + Quoted(list.name) + ": " +
                std::to_string(list.slots.size()) + " lines, " +
                (changed == 0 ? std::string("no slot changed")
                              : std::to_string(changed) + (changed == 1 ? " slot" : " slots") + " changed") +
                "\n";
    }
    WriteOut(console, said);
    SayError(console, "wrote " + LineText(output));
    return session.StatusWith(Success);
}

}   // namespace scry
