// scry show: the file as a person reads it, one record per line.
#include <algorithm>
#include <cstdio>

#include "Commands.h"

namespace scry {

std::string LineName(const std::string& bytes)
{
    // Most names need nothing done.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; }))
        return Utf8(bytes);
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return Utf8(text);
}

std::string PlaysText(const Plays& plays)
{
    std::string text = plays.kind + " " + plays.where;
    if (!plays.note.empty())
        return text + " (" + plays.note + ")";
    return text + " \"" + LineName(plays.name) + "\"";
}

std::string SettingsText(const SlotAttributes& slot)
{
    return "transpose " + std::to_string(slot.transpose) + ", volume " + std::to_string(slot.volume) + ", hold " +
           std::to_string(slot.holdTime) + ", color " + std::to_string(slot.color) + ", font " +
           std::to_string(slot.font) + ", kbd track " + std::to_string(slot.kbdTrack);
}

std::string Quoted(const std::string& name)
{
    std::string quoted = LineName(name);
    quoted.insert(quoted.begin(), '"');
    quoted += '"';
    return quoted;
}

namespace {

const char* BankWord(ChunkKind kind) { return kind == Kind::CMB1 ? "COMBI" : "PROGRAM"; }

}   // namespace

void WriteShow(std::string& out, const FileModel& file, bool all)
{
    // About 150 bytes a slot and 50 a record: one allocation for a whole file's listing.
    std::size_t estimate = 4096;
    for (const Bank& bank : file.banks) {
        estimate += bank.records.size() * 50 + bank.setLists.size() * 60;
        for (const SetList& list : bank.setLists)
            for (const Slot& slot : list.slots)
                estimate += all || slot.used ? 150 : 0;
    }
    out.reserve(out.size() + estimate);
    out += "FILE " + Utf8(file.name) + "  " + std::to_string(file.size) + " bytes, " + FormatName(file.formatCode) +
           " format\n";
    for (const std::string& problem : file.problems)
        out += "PROBLEM " + problem + "\n";
    for (const Bank& bank : file.banks) {
        if (bank.kind == Kind::SLS1) {
            for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
                const SetList& list = bank.setLists[i];
                const std::string number = Pad3(static_cast<unsigned>(i));
                out += "\nSETLIST " + number + " " + Quoted(list.name) + "  EQ " + Hex8(list.eq) + "\n";
                for (std::size_t j = 0; j < list.slots.size(); ++j) {
                    const Slot& slot = list.slots[j];
                    if (!slot.used && !all)
                        continue;
                    out += number;
                    out += '/';
                    out += Pad3(static_cast<unsigned>(j));
                    out += "  ";
                    out += Quoted(slot.name);
                    out += "  ";
                    out += PlaysText(WhatSlotPlays(file, slot.attributes));
                    out += "  ";
                    out += SettingsText(slot.attributes);
                    out += "  ";
                    out += Hex8(slot.fingerprint);
                    out += '\n';
                }
            }
            continue;
        }
        out += "\n";
        out += BankWord(bank.kind);
        out += " BANK " + bank.name + " (" + bank.id + ")";
        if (!bank.loaded) {
            out += "  NOT LOADED\n";
            continue;
        }
        out += '\n';
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            const Record& record = bank.records[i];
            out += bank.name;
            out += Pad3(static_cast<unsigned>(i));
            out += "  ";
            out += Hex8(record.fingerprint);
            out += "  ";
            out += Quoted(record.name);
            out += '\n';
        }
    }
    out += '\n';
    for (const Chunk& chunk : file.chunks) {
        out += "CHUNK " + LineName(chunk.id) + " (" + ChunkHolds(chunk.id) + ")  offset " +
               std::to_string(chunk.offset) + "  size " + std::to_string(chunk.size) + "  " + Hex8(chunk.fingerprint) +
               (chunk.cut ? "  CUT SHORT" : "") + "\n";
    }
}

}   // namespace scry
