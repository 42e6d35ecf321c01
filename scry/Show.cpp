// scry show and textconv.
#include "Show.h"

#include "StStrL/StStrL.h"
#include "Text.h"
#include "Vocabulary.h"

namespace scry {

namespace {

// One slot's line: where, its name, what it plays, its settings and its fingerprint.
void WriteSlot(std::string& out, const FileModel& file, std::size_t i, std::size_t j, const Slot& slot)
{
    out += SlotKey(i, j);
    out += "  ";
    out += Quoted(slot.name);
    out += "  ";
    out += PlaysText(WhatSlotPlays(file, slot.fields));
    out += "  ";
    out += SettingsText(slot.fields);
    out += "  ";
    out += HexLong(slot.fingerprint);
    out += '\n';
}

// Set lists, each with its slots: used ones (all: every one), or the one slot only where that is
// not -1; only set list onlyList where that is not -1. Past the first unreadable slot nothing
// more is written but that line.
void WriteSetLists(std::string& out, const FileModel& file, bool all, int onlyList = -1, int onlySlot = -1)
{
    bool readable = true;
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        if (!readable || (onlyList >= 0 && i != static_cast<std::size_t>(onlyList)))
            return;
        out += '\n';
        out += SetListLabel(file, ordinal, i) + " " + Quoted(list.name);
        out += list.readable ? "  EQ " + HexLong(list.eq) + "\n" : "  NOT READABLE WHOLE\n";
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            const bool asked = onlySlot >= 0 && j == static_cast<std::size_t>(onlySlot);
            if (onlySlot >= 0 && !asked)
                continue;
            if (!slot.readable) {
                out += SlotKey(i, j) + " and after: NOT READABLE (the file ends before them)\n";
                readable = false;
                return;
            }
            if (slot.used || all || asked)
                WriteSlot(out, file, i, j, slot);
        }
    });
}

void WriteHead(std::string& out, const FileModel& file, bool textconv)
{
    if (!textconv)
        out += "FILE " + LineText(file.name) + "  " + std::to_string(file.size) + " bytes, " +
               FormatName(file.formatCode) + " format\n";
    for (const std::string& problem : file.problems)
        out += "PROBLEM " + LineText(problem) + "\n";
}

void WriteRecords(std::string& out, const Bank& bank)
{
    const RecordKind* kind = RecordKindOf(bank.kind);
    if (kind == nullptr)
        return;
    out += '\n';
    out += kind->word;
    out += " BANK " + BankLabel(bank) + " (" + IdTextOf(bank.id) + ")";
    if (!bank.loaded) {
        out += "  NOT LOADED\n";
        return;
    }
    out += '\n';
    const std::string place = LineName(bank.name);
    for (std::size_t i = 0; i < bank.records.size(); ++i) {
        const Record& record = bank.records[i];
        out += place;
        out += Pad3(static_cast<unsigned>(i));
        out += "  ";
        out += HexLong(record.fingerprint);
        out += "  ";
        out += Quoted(record.name);
        out += '\n';
    }
}

void WriteChunks(std::string& out, const FileModel& file)
{
    out += '\n';
    for (const Chunk& chunk : file.chunks) {
        out += "CHUNK ";
        out += chunk.padding ? "(zero padding)" : LineName(chunk.id) + " (" + ChunkHolds(chunk.id) + ")";
        out += "  offset " + std::to_string(chunk.offset) + "  size " + std::to_string(chunk.size) + "  " +
               HexLong(chunk.fingerprint) + (chunk.cut ? "  CUT SHORT" : "") + "\n";
    }
}

}   // namespace

void WriteShow(std::string& out, const FileModel& file, bool all, bool textconv)
{
    // About 150 bytes a slot and 50 a record: one allocation for a whole file's listing.
    std::size_t estimate = 4096 + file.chunks.size() * 80;
    for (const Bank& bank : file.banks) {
        estimate += bank.records.size() * 50 + bank.setLists.size() * 60;
        for (const SetList& list : bank.setLists)
            for (const Slot& slot : list.slots)
                estimate += all || slot.used ? 150 : 0;
    }
    out.reserve(out.size() + estimate);
    WriteHead(out, file, textconv);
    WriteSetLists(out, file, all);
    for (const Bank& bank : file.banks)
        WriteRecords(out, bank);
    WriteChunks(out, file);
}

void WriteShowSetList(std::string& out, const FileModel& file, std::size_t setList, int slot, bool all)
{
    WriteHead(out, file, false);
    WriteSetLists(out, file, all, static_cast<int>(setList), slot);
}

int RunShow(const Options& options, Console& console)
{
    if (options.slot >= 0 && options.setList < 0)
        throw Trouble("--slot names a slot of the set list that --setlist names");
    Session session(console, options.files, options.output);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        std::string out;
        for (const FileModel& model : models) {
            if (options.setList >= 0)
                WriteShowSetList(out, model, static_cast<std::size_t>(options.setList), options.slot, options.all);
            else
                WriteShow(out, model, options.all);
        }
        session.Deliver(out);
    }
    return session.StatusWith(Success);
}

int RunTextconv(const Options& options, Console& console)
{
    // git shows the text; warnings on standard error would only stand between its hunks.
    std::string unsaid;
    Console quiet = console;
    quiet.err = &unsaid;
    Session session(quiet, options.files, "");
    std::string out;
    try {
        WriteShow(out, session.Read(0), options.all, true);
    } catch (const Trouble& trouble) {
        out = "PROBLEM " + LineText(trouble.what()) + "\n";
    }
    session.Deliver(out);
    return Success;
}

}   // namespace scry
