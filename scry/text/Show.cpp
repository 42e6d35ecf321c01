// scry show and textconv.
#include "text/Show.h"

#include "StStrL/StStrL.h"
#include "model/Plays.h"
#include "model/Vocabulary.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// One slot's line: where, its name, what it plays, its settings and its fingerprint.
void WriteSlot(std::string& out, const FileModel& file, std::size_t i, std::size_t j, const Slot& slot)
{
    AppendSlotKey(out, i, j);
    out += "  ";
    AppendQuoted(out, slot.name);
    out += "  ";
    AppendPlaysText(out, SlotPlays(file, slot));
    out += "  ";
    AppendSettingsText(out, slot.fields);
    out += "  ";
    AppendHex8(out, slot.fingerprint);
    out += '\n';
}

// A set list with its slots: used ones (all: every one), or the one slot only where that is not
// -1. False past the first unreadable slot, after which nothing more is written but that line.
bool WriteSetList(std::string& out, const FileModel& file, std::size_t ordinal, std::size_t i, const SetList& list,
                  bool all, int onlySlot = -1)
{
    out += '\n';
    out += SetListLabel(file, {ordinal, i}) + " " + Quoted(list.name);
    out += list.readable ? "  EQ " + HexLong(list.eq) + "\n" : "  NOT READABLE WHOLE\n";
    for (std::size_t j = 0; j < list.slots.size(); ++j) {
        const Slot& slot = list.slots[j];
        const bool asked = onlySlot >= 0 && j == static_cast<std::size_t>(onlySlot);
        if (onlySlot >= 0 && !asked)
            continue;
        if (!slot.readable) {
            out += SlotKey(i, j) + " and after: NOT READABLE (the file ends before them)\n";
            return false;
        }
        if (asked && !slot.used)
            out += SlotKey(i, j) + "  unused\n";   // what its zero bytes would play is no sound of it
        else if (slot.used || all || asked)
            WriteSlot(out, file, i, j, slot);
    }
    return true;
}

void WriteSetLists(std::string& out, const FileModel& file, bool all, const PartDone& partDone)
{
    bool readable = true;
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        if (readable)
            readable = WriteSetList(out, file, ordinal, i, list, all);
        if (partDone)
            partDone(out);
    });
}

void WriteHead(std::string& out, const FileModel& file, bool textconv)
{
    if (!textconv)
        out += "FILE " + LineText(file.name) + "  " + std::to_string(file.size) + " bytes, " +
               FormatName(file.formatCode) + " format\n";
    for (const Problem& problem : file.problems)
        out += "PROBLEM " + LineText(ProblemText(problem)) + "\n";
}

void WriteRecords(std::string& out, const Bank& bank)
{
    const RecordKind* kind = RecordKindOf(bank.kind);
    if (kind == nullptr)
        return;
    out += '\n';
    out += kind->word;
    out += " BANK " + BankLabel(bank) + " (" + IdText(bank.id) + ")";
    if (!bank.loaded) {
        out += "  NOT LOADED\n";
        return;
    }
    out += '\n';
    const std::string place = LineName(bank.name);
    for (std::size_t i = 0; i < bank.records.size(); ++i) {
        const Record& record = bank.records[i];
        out += place;
        AppendPad3(out, static_cast<unsigned>(i));
        out += "  ";
        AppendHex8(out, record.fingerprint);
        out += "  ";
        AppendQuoted(out, record.name);
        out += '\n';
    }
}

void WriteChunks(std::string& out, const FileModel& file)
{
    out += '\n';
    for (const Chunk& chunk : file.chunks) {
        out += "CHUNK ";
        out += chunk.padding ? "(zero padding)" : LineName(IdText(chunk.id)) + " (" + ChunkHolds(chunk.id) + ")";
        out += "  offset " + std::to_string(chunk.offset) + "  size " + std::to_string(chunk.size) + "  " +
               HexLong(chunk.fingerprint) + (chunk.cut ? "  CUT SHORT" : "") + "\n";
    }
}

}   // namespace

void WriteShow(std::string& out, const FileModel& file, bool all, bool textconv, const PartDone& partDone)
{
    if (!partDone) {
        // About 150 bytes a slot and 50 a record: one allocation for a whole file's listing.
        std::size_t estimate = 4096 + file.chunks.size() * 80;
        for (const Bank& bank : file.banks) {
            estimate += bank.records.size() * 50 + bank.setLists.size() * 60;
            for (const SetList& list : bank.setLists)
                for (const Slot& slot : list.slots)
                    estimate += all || slot.used ? 150 : 0;
        }
        out.reserve(out.size() + estimate);
    }
    WriteHead(out, file, textconv);
    WriteSetLists(out, file, all, partDone);
    for (const Bank& bank : file.banks) {
        WriteRecords(out, bank);
        if (partDone)
            partDone(out);
    }
    WriteChunks(out, file);
}

void WriteShowSetList(std::string& out, const FileModel& file, const SetListView& at, int slot, bool all)
{
    WriteHead(out, file, false);
    if (at.list != nullptr)
        WriteSetList(out, file, 0, at.number, *at.list, all, slot);
}

}   // namespace scry
