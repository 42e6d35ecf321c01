// Building the model as a receiver of the reader's walk: one pass over the file, every chunk
// and bank as the walk meets it, and what could not be read said in words.
#include "Model.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"
#include "Text.h"

namespace scry {

namespace {

std::string NameOf(const std::uint8_t* field)
{
    return std::string(reinterpret_cast<const char*>(field), NameLength(field));
}

bool AllZero(const std::uint8_t* bytes, std::size_t size)
{
    return std::all_of(bytes, bytes + size, [](std::uint8_t byte) { return byte == 0; });
}

SlotFields Decoded(const std::uint8_t* slot)
{
    const std::uint8_t* p = slot + PackedSlotOffset;
    const SlotAttributes s = DecodeSlot({p[0], p[1], p[2], p[3], p[4], p[5]});
    return {static_cast<SlotType>(s.SlotType & 3u),
            s.Bank,
            s.Number,
            s.Color,
            s.Font,
            s.Transpose,
            s.HoldTime,
            s.Volume,
            s.Kbd_Track,
            SlotBankName(s.SlotType, s.Bank)};
}

struct Building {
    FileModel& model;
    const InputStream& input;
    const char* refusal = nullptr;         // why the walk refused the file's header, or null
    std::vector<std::uint8_t> scratch{};   // bytes on their way to a fingerprint
    bool inPadding = false;                // the last chunk met was zero padding, not yet fingerprinted
};

// A fingerprint of the bytes the file holds from at on, up to count, read a large run at a time.
std::uint32_t FingerprintOfRange(Building& building, std::int64_t at, std::uint64_t count)
{
    constexpr std::size_t RunSize = std::size_t{1} << 18;
    building.scratch.resize(RunSize);
    std::uint32_t reg = Crc32RunStart;
    std::uint64_t done = 0;
    while (done < count) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, RunSize));
        const std::size_t got =
            InputReadAt(building.input, at + static_cast<std::int64_t>(done), building.scratch.data(), want);
        reg = Crc32RunFeed(reg, building.scratch.data(), got);
        done += got;
        if (got < want)
            break;
    }
    return Crc32RunFinish(reg, done);
}

// A run of zero padding is fingerprinted whole when it ends, not chunk by chunk.
void EndPadding(Building& building)
{
    if (!building.inPadding)
        return;
    building.inPadding = false;
    Chunk& padding = building.model.chunks.back();
    padding.fingerprint = FingerprintOfRange(building, padding.offset, padding.size);
    building.model.problems.push_back("zero padding from offset " + std::to_string(padding.offset) + ", " +
                                      std::to_string(padding.size) + " bytes");
}

// Padding that runs to the end of the file ends in fewer zero bytes than a header: they are
// padding too.
void TakeZeroTail(Building& building)
{
    if (!building.inPadding)
        return;
    Chunk& padding = building.model.chunks.back();
    const std::int64_t end = padding.offset + static_cast<std::int64_t>(padding.size);
    const std::int64_t rest = building.model.size - end;
    if (rest <= 0 || rest >= static_cast<std::int64_t>(sizeof(ChunkHeader)))
        return;
    std::uint8_t bytes[sizeof(ChunkHeader)] = {};
    const std::size_t got = InputReadAt(building.input, end, bytes, static_cast<std::size_t>(rest));
    if (got == static_cast<std::size_t>(rest) && AllZero(bytes, got))
        padding.size += got;
}

void Accepted(void* context, std::uint8_t formatCode, std::uint32_t containerSize)
{
    FileModel& model = static_cast<Building*>(context)->model;
    model.formatCode = formatCode;
    model.containerSize = containerSize;
}

void Refused(void* context, HeaderRefusal refusal)
{
    Building& building = *static_cast<Building*>(context);
    switch (refusal) {
    case HeaderRefusal::NoKorgHeader:
        building.refusal = building.model.size == 0 ? "empty file" : "not a PCG file (no KORG header)";
        break;
    case HeaderRefusal::UnknownFormat:
        building.refusal = "a PCG file of neither the Triton nor the Kronos format";
        break;
    case HeaderRefusal::NoContainer: building.refusal = "not a PCG file (no PCG1 container)"; break;
    }
}

void ChunkSeen(void* context, const ChunkMet& met)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    const std::int64_t end = met.offset + static_cast<std::int64_t>(sizeof(ChunkHeader)) + met.size;
    if (IdOf(met.id) == 0) {
        // Zero padding: one entry for the whole run, however many empty headers it holds.
        if (building.inPadding) {
            Chunk& padding = model.chunks.back();
            padding.size = static_cast<std::uint64_t>(std::min(end, model.size) - padding.offset);
            return;
        }
        model.chunks.push_back(
            {"", met.offset, static_cast<std::uint64_t>(std::min(end, model.size) - met.offset), 0, false, true});
        building.inPadding = true;
        return;
    }
    EndPadding(building);
    const std::int64_t data = met.offset + static_cast<std::int64_t>(sizeof(ChunkHeader));
    Chunk chunk{IdText(met.id), met.offset, met.size, FingerprintOfRange(building, data, met.size), met.cut, false};
    if (chunk.cut)
        model.problems.push_back("the file ends inside chunk " + LineName(chunk.id) + " at offset " +
                                 std::to_string(chunk.offset) + " (" + std::to_string(chunk.size) +
                                 " bytes announced, " + std::to_string(model.size - data) + " present)");
    model.chunks.push_back(std::move(chunk));
}

void BankSeen(void* context, const BankMet& met)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    if (met.FirstPart()) {
        EndPadding(building);
        model.banks.push_back({met.id, met.kind, met.bankName, 0, 1, true, met.offset, {}, {}});
    }
    Bank& bank = model.banks.back();
    if (met.kind == Kind::SLS1) {
        bank.setLists.reserve(RecordsPerBank);
        for (std::size_t i = met.first; i < met.first + met.count; ++i) {
            const std::uint8_t* setList = met.records + SetListSize * (i - met.first);
            SetList list{
                NameOf(setList), Crc32Of(setList + EqOffset, EqSize), {}, SetListSize * (i + 1) <= met.present};
            list.slots.reserve(SlotsPerSetList);
            for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
                const std::size_t at = SetListSize * i + SlotsOffset + SlotSize * j;   // in the bank
                const std::uint8_t* slot = setList + SlotsOffset + SlotSize * j;
                const Crc32Parts fingerprints = Crc32OfParts(slot, SlotSize, NameSize);
                list.slots.push_back({NameOf(slot), fingerprints.whole, fingerprints.rest, Decoded(slot),
                                      !AllZero(slot, SlotSize), at + SlotSize <= met.present});
            }
            bank.setLists.push_back(std::move(list));
        }
        if (met.LastPart() && met.present < met.size)
            model.problems.push_back("the set-list bank ends after " + std::to_string(met.present) + " of its " +
                                     std::to_string(met.size) + " bytes; what follows is not readable");
    } else {
        const std::size_t size = met.kind == Kind::CMB1 ? CombiSize : ProgramSize;
        bank.records.reserve(RecordsPerBank);
        for (std::size_t i = 0; i < met.count; ++i) {
            const std::uint8_t* record = met.records + size * i;
            const Crc32Parts fingerprints = Crc32OfParts(record, static_cast<std::int32_t>(size), NameSize);
            bank.records.push_back({NameOf(record), fingerprints.whole, fingerprints.rest});
        }
    }
}

void BankNotLoaded(void* context, ChunkId id, const std::string& bankName)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    EndPadding(building);
    const BankChunkInfo* info = BankChunkOf(id);
    model.banks.push_back({id, info != nullptr ? info->kind : Kind::UNKN, bankName, 0, 1, false, 0, {}, {}});
    model.problems.push_back("bank " + IdTextOf(id) + " " + LineName(bankName) +
                             " could not be loaded (its size does not match, or the file ends inside it); "
                             "the reader stops there");
}

// Banks of one kind and name, numbered in file order.
void CountOccurrences(FileModel& model)
{
    std::map<std::pair<ChunkKind, std::string>, std::size_t> seen;
    for (Bank& bank : model.banks)
        bank.occurrence = seen[{bank.kind, bank.name}]++;
    for (Bank& bank : model.banks)
        bank.occurrences = seen[{bank.kind, bank.name}];
}

// What lies outside the chunks: the headers, the bytes after the last chunk met, and whether
// the file is as long as its container says.
void ReadEdges(Building& building)
{
    FileModel& model = building.model;
    model.head.resize(FileHeadSize);
    model.head.resize(InputReadAt(building.input, 0, model.head.data(), FileHeadSize));
    std::int64_t walked = static_cast<std::int64_t>(model.head.size());
    if (!model.chunks.empty()) {
        const Chunk& last = model.chunks.back();
        walked = std::min(model.size, last.offset + static_cast<std::int64_t>(last.padding ? 0 : sizeof(ChunkHeader)) +
                                          static_cast<std::int64_t>(last.size));
    }
    model.tailSize = model.size - walked;
    model.tailFingerprint = FingerprintOfRange(building, walked, static_cast<std::uint64_t>(model.tailSize));
    const std::int64_t announced = static_cast<std::int64_t>(FileHeadSize) + model.containerSize;
    if (model.size < announced)
        model.problems.push_back("the file is " + std::to_string(announced - model.size) +
                                 " bytes shorter than its container announces (" + std::to_string(announced) +
                                 " bytes): it was cut short");
}

}   // namespace

std::string IdTextOf(ChunkId id) { return IdText(id); }

FileModel ReadModel(InputStream& stream, const std::string& name)
{
    FileModel model{name, InputSize(stream), 0, 0, {}, 0, 0, {}, {}, {}};
    Building building{model, stream};
    const WalkReceiver receiver{.context = &building,
                                .accepted = &Accepted,
                                .refused = &Refused,
                                .chunk = &ChunkSeen,
                                .bank = &BankSeen,
                                .bankNotLoaded = &BankNotLoaded};
    // A walk of its own: bytes a short load does not reach are those of a fresh process,
    // whatever was read before, and no other walk's state is touched.
    WalkMemory memory;
    MakeOwnWalkMemory(memory);
    try {
        WalkPCG(stream, receiver, memory);
    } catch (const std::exception& error) {
        throw Trouble(SourceName(name) + ": " + LineName(error.what()));
    }
    if (building.refusal != nullptr)
        throw Trouble(SourceName(name) + ": " + building.refusal);
    TakeZeroTail(building);
    EndPadding(building);
    CountOccurrences(model);
    ReadEdges(building);
    if (MappedInputShrank())
        throw Trouble(SourceName(name) + ": the file shrank while it was read");
    return model;
}

FileModel ReadModelOfBytes(const std::string& name, const std::string& bytes)
{
    std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenMemoryInput(bytes.data(), bytes.size(), name),
                                                               &CloseInput);
    return ReadModel(*stream, name);
}

const char* FormatName(std::uint8_t formatCode) { return formatCode == TritonFormat ? "Triton" : "Kronos"; }

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

}   // namespace scry
