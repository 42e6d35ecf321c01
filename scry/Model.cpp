// Building the model as a receiver of the reader's walk: one pass over the file, every chunk
// and bank as the walk meets it.
#include "Model.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <memory>
#include <system_error>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"
#include "StStrL/LineFormat.h"

namespace scry {

namespace {

constexpr const char* TypeTexts[4] = {"Combi", "Prog", "Song", "Type3"};

std::string IdTextOf(ChunkId id)
{
    char raw[4];
    std::memcpy(raw, &id, sizeof raw);
    return IdText(raw);
}

std::string NameOf(const std::uint8_t* field)
{
    return std::string(reinterpret_cast<const char*>(field), NameLength(field));
}

bool AllZero(const std::uint8_t* bytes, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

std::uint32_t Fingerprint(const std::uint8_t* bytes, std::size_t size)
{
    return Crc32Of(bytes, static_cast<std::int32_t>(size));
}

// The fingerprints of a record as the report shows it and of its bytes after the name.
Crc32Parts BothFingerprints(const std::uint8_t* record, std::size_t size)
{
    return Crc32OfParts(record, static_cast<std::int32_t>(size), static_cast<std::int32_t>(NameSize));
}

SlotAttributes Decoded(const std::uint8_t* slot)
{
    const std::uint8_t* p = slot + PackedSlotOffset;
    DecodeSlot({p[0], p[1], p[2], p[3], p[4], p[5]});
    const ::SlotAttributes& s = SlotInfo;
    return {s.SlotType,
            s.Color,
            s.Font,
            s.Bank,
            s.Transpose,
            s.Number,
            s.HoldTime,
            s.Volume,
            s.Kbd_Track,
            SlotBankName(s.SlotType, s.Bank),
            TypeTexts[s.SlotType & 3u]};
}

struct Building {
    FileModel& model;
    const InputStream& input;
    const char* refusal;                // why the walk refused the file's header, or null
    std::vector<std::uint8_t> scratch;  // chunk bytes on their way to a fingerprint
};

void Accepted(void* context, std::uint8_t formatCode, std::uint32_t /*containerSize*/)
{
    static_cast<Building*>(context)->model.formatCode = formatCode;
}

void Refused(void* context, HeaderRefusal refusal)
{
    const char* reason = "not a PCG file (no PCG1 container)";
    if (refusal == HeaderRefusal::NoKorgHeader)
        reason = "not a PCG file (no KORG header)";
    else if (refusal == HeaderRefusal::UnknownFormat)
        reason = "a PCG file of neither the Triton nor the Kronos format";
    static_cast<Building*>(context)->refusal = reason;
}

// A fingerprint of the chunk's data bytes that the file holds, read a large run at a time.
std::uint32_t ChunkFingerprint(Building& building, std::int64_t at, std::uint32_t size)
{
    constexpr std::size_t RunSize = std::size_t{1} << 20;
    building.scratch.resize(RunSize);
    std::uint32_t reg = Crc32RunStart;
    std::uint64_t done = 0;
    while (done < size) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, RunSize));
        const std::size_t got = InputReadAt(building.input, at + static_cast<std::int64_t>(done), building.scratch.data(), want);
        reg = Crc32RunFeed(reg, building.scratch.data(), got);
        done += got;
        if (got < want)
            break;
    }
    return Crc32RunFinish(reg, done);
}

void ChunkSeen(void* context, const ChunkMet& met)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    Chunk chunk{IdText(met.id), met.offset, met.size,
                ChunkFingerprint(building, met.offset + static_cast<std::int64_t>(sizeof(ChunkHeader)), met.size),
                met.cut};
    if (chunk.cut)
        model.problems.push_back("the file ends inside chunk " + chunk.id + " at offset " + std::to_string(chunk.offset) +
                                 " (" + std::to_string(chunk.size) + " bytes announced)");
    model.chunks.push_back(std::move(chunk));
}

void BankSeen(void* context, const BankMet& met)
{
    FileModel& model = static_cast<Building*>(context)->model;
    Bank bank{IdTextOf(met.id), met.kind, met.bankName, true, {}, {}};
    const std::uint8_t* data = met.data;
    if (met.kind == Kind::SLS1) {
        bank.setLists.reserve(RecordsPerBank);
        for (std::size_t i = 0; i < RecordsPerBank; ++i) {
            const std::uint8_t* setList = data + SetListSize * i;
            SetList list{NameOf(setList), Fingerprint(setList + EqOffset, EqSize), {}};
            list.slots.reserve(SlotsPerSetList);
            for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
                const std::uint8_t* slot = setList + SlotsOffset + SlotSize * j;
                const Crc32Parts fingerprints = BothFingerprints(slot, SlotSize);
                list.slots.push_back(
                    {NameOf(slot), fingerprints.whole, fingerprints.rest, Decoded(slot), !AllZero(slot, SlotSize)});
            }
            bank.setLists.push_back(std::move(list));
        }
    } else {
        const std::size_t size = met.kind == Kind::CMB1 ? CombiSize : ProgramSize;
        bank.records.reserve(RecordsPerBank);
        for (std::size_t i = 0; i < RecordsPerBank; ++i) {
            const std::uint8_t* record = data + size * i;
            const Crc32Parts fingerprints = BothFingerprints(record, size);
            bank.records.push_back({NameOf(record), fingerprints.whole, fingerprints.rest});
        }
    }
    model.banks.push_back(std::move(bank));
}

void BankNotLoaded(void* context, ChunkId id, const std::string& bankName)
{
    FileModel& model = static_cast<Building*>(context)->model;
    const BankChunkInfo* info = BankChunkOf(id);
    model.banks.push_back({IdTextOf(id), info != nullptr ? info->kind : Kind::UNKN, bankName, false, {}, {}});
    model.problems.push_back("bank " + IdTextOf(id) + " " + bankName +
                             " could not be loaded (its size does not match, or the file ends inside it); "
                             "the reader stops there");
}

FileModel ReadStream(const std::string& name, InputStream& stream)
{
    FileModel model{name, InputSize(stream), 0, {}, {}, {}};
    Building building{model, stream, nullptr, {}};
    const WalkReceiver receiver{.context = &building,
                                .logged = false,
                                .accepted = &Accepted,
                                .refused = &Refused,
                                .chunk = &ChunkSeen,
                                .bank = &BankSeen,
                                .bankNotLoaded = &BankNotLoaded};
    // Bytes a short load does not reach are those of a fresh process, whatever was read before.
    ResetReaderState();
    try {
        WalkPCG(stream, receiver);
    } catch (const std::exception& error) {
        throw Trouble(name + ": " + error.what());
    }
    // Refused at the header: nothing more to know.
    if (building.refusal != nullptr)
        throw Trouble(name + ": " + building.refusal);
    return model;
}

}   // namespace

FileModel ReadModelOfBytes(const std::string& name, const std::string& bytes)
{
    std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenMemoryInput(bytes.data(), bytes.size(), name),
                                                               &CloseInput);
    return ReadStream(name, *stream);
}

FileModel ReadModel(const std::string& path)
{
    if (path == "-") {
        std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        if (std::cin.bad())
            throw Trouble("-: cannot read standard input");
        return ReadModelOfBytes(path, bytes);
    }
    InputStream* opened = nullptr;
    try {
        opened = OpenInput(path);
    } catch (const std::system_error& error) {
        throw Trouble(path + ": " + error.code().message());
    }
    std::unique_ptr<InputStream, decltype(&CloseInput)> stream(opened, &CloseInput);
    return ReadStream(path, *stream);
}

const char* FormatName(std::uint8_t formatCode) { return formatCode == 0x50 ? "Triton" : "Kronos"; }

ChunkId ChunkIdOf(const std::string& id)
{
    ChunkId value = 0;
    std::memcpy(&value, id.data(), std::min<std::size_t>(id.size(), sizeof value));
    return value;
}

const char* ChunkHolds(const std::string& id)
{
    const ChunkIdInfo* info = ChunkIdInfoOf(ChunkIdOf(id));
    return info != nullptr ? info->holds : "unknown";
}

Plays WhatSlotPlays(const FileModel& file, const SlotAttributes& slot)
{
    Plays plays{slot.typeText, slot.bankText + Pad3(slot.number), {}, {}};
    if (slot.type == 2) {
        plays.note = "song";
        return plays;
    }
    if (slot.type > 2 || slot.bankText.rfind("Invalid", 0) == 0) {
        plays.note = "no such bank";
        return plays;
    }
    if (slot.bankText == "GM" || slot.bankText == "GMd") {
        plays.note = "instrument's own bank";
        return plays;
    }
    const ChunkKind kind = slot.type == 1 ? Kind::PRG1 : Kind::CMB1;
    for (const Bank& bank : file.banks) {
        if (bank.kind == kind && bank.name == slot.bankText && bank.loaded) {
            if (slot.number >= bank.records.size())
                plays.note = "no such number";
            else
                plays.name = bank.records[slot.number].name;
            return plays;
        }
    }
    plays.note = "bank not in file";
    return plays;
}

std::string Utf8(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string Hex8(std::uint32_t value)
{
    char text[8];
    return {text, static_cast<std::size_t>(PutHex(text, value, 8) - text)};
}

std::string Pad3(unsigned value)
{
    char text[20];
    return {text, static_cast<std::size_t>(PutDec(text, value, 3) - text)};
}

}   // namespace scry
