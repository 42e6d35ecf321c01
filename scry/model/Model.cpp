// Building the model as a receiver of the reader's walk: one pass over the file, every chunk
// and bank as the walk meets it, and what could not be read kept as problems.
#include "model/Model.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <system_error>
#include <utility>

#include "CRC32/CRC32.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"

namespace scry {

namespace {

std::string NameOf(const std::uint8_t* field)
{
    return std::string(reinterpret_cast<const char*>(field), NameLength(field));
}

bool AllZero(const std::uint8_t* bytes, std::size_t size)
{
    // Eight bytes at a time, or-ed together (a loop the compiler makes wide), then the rest.
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        any |= word;
    }
    for (; i < size; ++i)
        any |= bytes[i];
    return any == 0;
}

Crc32Split SlotFingerprints(const std::uint8_t* slot)
{
    return Crc32OfSplit(slot, static_cast<std::int32_t>(SlotSize), static_cast<std::int32_t>(NameSize),
                        static_cast<std::int32_t>(PackedSlotOffset + PackedSlotSize));
}

Slot SlotOf(const std::uint8_t* slot, bool readable)
{
    // Most slots of a file are unused, all zero: their fingerprints are those of every such slot.
    static const Slot unused = [] {
        const std::uint8_t zeros[SlotSize] = {};
        const Crc32Split parts = SlotFingerprints(zeros);
        return Slot{{}, parts.head, parts.whole, parts.rest, parts.tail, {}, DecodeSlot({}), false, true};
    }();
    if (AllZero(slot, SlotSize)) {
        Slot zero = unused;
        zero.readable = readable;
        return zero;
    }
    const std::uint8_t* p = slot + PackedSlotOffset;
    const PackedSlot packed{p[0], p[1], p[2], p[3], p[4], p[5]};
    const Crc32Split parts = SlotFingerprints(slot);
    return {NameOf(slot), parts.head, parts.whole, parts.rest, parts.tail, packed, DecodeSlot(packed), true, readable};
}

struct Building {
    FileModel& model;
    const InputStream& input;
    bool refused = false;
    HeaderRefusal refusal = HeaderRefusal::NoKorgHeader;
    bool bankRefused = false;              // the walk stopped at a bank it could not load
    bool chunkFingerprints = true;         // false: chunks, data banks and the tail get none (0)
    std::vector<std::uint8_t> scratch{};   // bytes on their way to a fingerprint
    bool inPadding = false;                // the last chunk met was zero padding, not yet fingerprinted
};

// The register of a fingerprint run, fed with the bytes the file holds from at on, up to count,
// read a large run at a time; done receives how many came.
std::uint32_t FeedRange(Building& building, std::uint32_t reg, std::int64_t at, std::uint64_t count,
                        std::uint64_t& done)
{
    constexpr std::size_t RunSize = std::size_t{1} << 18;
    if (building.scratch.size() < RunSize)
        building.scratch.resize(RunSize);
    std::uint64_t fed = 0;
    while (fed < count) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - fed, RunSize));
        const std::int64_t from = at + static_cast<std::int64_t>(fed);
        // Bytes in memory are read where they lie; a file's are read into the scratch run, not
        // through its mapping, so that a chunk of any size leaves no more of it in memory.
        const std::uint8_t* bytes = InputMemoryBytesAt(building.input, from, want);
        std::size_t got = want;
        if (bytes == nullptr) {
            got = InputReadAt(building.input, from, building.scratch.data(), want);
            bytes = building.scratch.data();
        }
        reg = Crc32RunFeed(reg, bytes, got);
        fed += got;
        if (got < want)
            break;
    }
    done += fed;
    return reg;
}

std::uint32_t FingerprintOfRange(Building& building, std::int64_t at, std::uint64_t count)
{
    if (!building.chunkFingerprints)
        return 0;
    std::uint64_t done = 0;
    const std::uint32_t reg = FeedRange(building, Crc32RunStart, at, count, done);
    return Crc32RunFinish(reg, done);
}

// A run of zero padding is fingerprinted whole when it ends, not chunk by chunk.
void EndPadding(Building& building)
{
    if (!building.inPadding)
        return;
    building.inPadding = false;
    Chunk& padding = building.model.chunks.back();
    padding.fingerprint = padding.frame = FingerprintOfRange(building, padding.offset, padding.size);
    building.model.problems.push_back({ProblemKind::ZeroPadding, {}, {}, padding.offset, padding.size, 0});
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
    building.refused = true;
    building.refusal = refusal;
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
        model.chunks.push_back({"", met.offset, static_cast<std::uint64_t>(std::min(end, model.size) - met.offset), 0,
                                0, false, false, true});
        building.inPadding = true;
        return;
    }
    EndPadding(building);
    const std::int64_t data = met.offset + static_cast<std::int64_t>(sizeof(ChunkHeader));
    const std::uint32_t fingerprint = FingerprintOfRange(building, data, met.size);
    Chunk chunk{IdText(met.id), met.offset, met.size, fingerprint, fingerprint, false, met.cut, false};
    if (chunk.cut)
        model.problems.push_back({ProblemKind::ChunkCut, chunk.id, {}, chunk.offset, chunk.size, model.size - data});
    model.chunks.push_back(std::move(chunk));
}

void BankSeen(void* context, const BankMet& met)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    if (met.FirstPart()) {
        EndPadding(building);
        model.banks.push_back({met.id, met.kind, met.bankId, met.bankName, 0, 1, true, met.offset, met.size, {}, {}});
    }
    Bank& bank = model.banks.back();
    const std::size_t recordSize = met.kind == Kind::SLS1 ? SetListSize : BankChunkOf(met.id)->recordSize;
    if (met.FirstPart() && (met.numProgs != RecordsPerBank || met.objSize != recordSize))
        model.problems.push_back({ProblemKind::BankHeaderLies, IdText(met.id), met.bankName, met.offset, met.numProgs,
                                  static_cast<std::int64_t>(met.objSize)});
    if (met.kind == Kind::SLS1) {
        bank.setLists.reserve(RecordsPerBank);
        for (std::size_t i = met.first; i < met.first + met.count; ++i) {
            const std::uint8_t* setList = met.records + SetListSize * (i - met.first);
            SetList list{NameOf(setList),
                         Crc32Of(setList, static_cast<std::int32_t>(NameSize)),
                         Crc32Of(setList + EqOffset, EqSize),
                         {},
                         SetListSize * (i + 1) <= met.present};
            list.slots.reserve(SlotsPerSetList);
            for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
                const std::size_t at = SetListSize * i + SlotsOffset + SlotSize * j;   // in the bank
                list.slots.push_back(SlotOf(setList + SlotsOffset + SlotSize * j, at + SlotSize <= met.present));
            }
            bank.setLists.push_back(std::move(list));
        }
        if (met.LastPart() && met.present < met.size)
            model.problems.push_back(
                {ProblemKind::SetListBankCut, {}, {}, met.offset, met.size, static_cast<std::int64_t>(met.present)});
    } else {
        const std::size_t size = BankChunkOf(met.id)->recordSize;
        bank.records.reserve(RecordsPerBank);
        for (std::size_t i = 0; i < met.count; ++i) {
            const std::uint8_t* record = met.records + size * i;
            const Crc32Parts fingerprints = Crc32OfParts(record, static_cast<std::int32_t>(size), NameSize);
            bank.records.push_back({NameOf(record), fingerprints.whole, fingerprints.rest});
        }
    }
}

void DataSeen(void* context, ChunkId id, std::int64_t offset, std::size_t present)
{
    Building& building = *static_cast<Building*>(context);
    EndPadding(building);
    building.model.dataBanks.push_back({id, offset, present, FingerprintOfRange(building, offset, present)});
}

void BankNotLoaded(void* context, ChunkId id, const std::string& bankName)
{
    static_cast<Building*>(context)->bankRefused = true;
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    EndPadding(building);
    const BankChunkInfo* info = BankChunkOf(id);
    model.banks.push_back({id, info != nullptr ? info->kind : Kind::UNKN, 0, bankName, 0, 1, false, 0, 0, {}, {}});
    model.problems.push_back({ProblemKind::BankNotLoaded, IdText(id), bankName, 0, 0, 0});
}

// Banks of one kind and bankId, numbered in file order.
void CountOccurrences(FileModel& model)
{
    std::map<std::pair<ChunkKind, std::uint32_t>, std::size_t> seen;
    for (Bank& bank : model.banks)
        bank.occurrence = seen[{bank.kind, bank.bankId}]++;
    for (Bank& bank : model.banks)
        bank.occurrences = seen[{bank.kind, bank.bankId}];
}

// Each chunk's bytes outside the banks it holds: the headers, unknown parts and the rest, so that
// a difference there is seen whatever its records do.
void ReadFrames(Building& building)
{
    FileModel& model = building.model;
    std::vector<std::pair<std::int64_t, std::int64_t>> held;   // ranges of bank bytes
    for (const Bank& bank : model.banks)
        if (bank.loaded)
            held.emplace_back(bank.offset, bank.offset + static_cast<std::int64_t>(bank.size));
    for (const DataBank& data : model.dataBanks)
        held.emplace_back(data.offset, data.offset + static_cast<std::int64_t>(data.size));
    std::sort(held.begin(), held.end());
    for (Chunk& chunk : model.chunks) {
        if (!building.chunkFingerprints)
            break;
        if (chunk.padding || chunk.cut)
            continue;
        const std::int64_t from = chunk.offset + static_cast<std::int64_t>(sizeof(ChunkHeader));
        const std::int64_t to = from + static_cast<std::int64_t>(chunk.size);
        std::uint32_t reg = Crc32RunStart;
        std::uint64_t done = 0;
        std::int64_t at = from;
        for (const auto& [begin, end] : held) {
            if (begin < from || end > to)
                continue;
            chunk.holdsBanks = true;
            reg = FeedRange(building, reg, at, static_cast<std::uint64_t>(begin - at), done);
            at = end;
        }
        if (!chunk.holdsBanks)
            continue;
        reg = FeedRange(building, reg, at, static_cast<std::uint64_t>(to - at), done);
        chunk.frame = Crc32RunFinish(reg, done);
    }
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
    // Sizes that disagree: chunks that run on past the container, bytes after them no chunk holds.
    if (!model.chunks.empty()) {
        const Chunk& last = model.chunks.back();
        const std::int64_t end = last.offset + static_cast<std::int64_t>(last.padding ? 0 : sizeof(ChunkHeader)) +
                                 static_cast<std::int64_t>(last.size);
        if (end > announced && end <= model.size)
            model.problems.push_back({ProblemKind::ChunksPastContainer, {}, {}, announced, model.containerSize, end});
    }
    if (model.tailSize > 0 && !building.bankRefused)
        model.problems.push_back(
            {ProblemKind::BytesAfterChunks, {}, {}, walked, static_cast<std::uint64_t>(model.tailSize), 0});
    if (model.size < announced)
        model.problems.push_back(
            {ProblemKind::FileCutShort, {}, {}, 0, static_cast<std::uint64_t>(announced), model.size});
}

Refusal RefusalOf(HeaderRefusal refusal, std::int64_t size)
{
    switch (refusal) {
    case HeaderRefusal::NoKorgHeader: return size == 0 ? Refusal::Empty : Refusal::NoKorgHeader;
    case HeaderRefusal::UnknownFormat: return Refusal::UnknownFormat;
    case HeaderRefusal::NoContainer: return Refusal::NoContainer;
    }
    return Refusal::NoKorgHeader;
}

}   // namespace

FileModel ReadModel(InputStream& stream, const std::string& name, bool chunkFingerprints)
{
    FileModel model{name, InputSize(stream), 0, 0, {}, 0, 0, {}, {}, {}, {}};
    Building building{model, stream};
    building.chunkFingerprints = chunkFingerprints;
    const WalkReceiver receiver{.context = &building,
                                .accepted = &Accepted,
                                .refused = &Refused,
                                .chunk = &ChunkSeen,
                                .bank = &BankSeen,
                                .data = &DataSeen,
                                .bankNotLoaded = &BankNotLoaded};
    // A walk of its own: bytes a short load does not reach are those of a fresh process,
    // whatever was read before, and no other walk's state is touched.
    WalkMemory memory;
    MakeOwnWalkMemory(memory);
    try {
        WalkPCG(stream, receiver, memory);
    } catch (const InputShrankError&) {
        throw Unreadable(Refusal::Shrank, "");
    } catch (const std::exception& error) {
        throw Unreadable(Refusal::ReadError, error.what());
    }
    if (building.refused)
        throw Unreadable(RefusalOf(building.refusal, model.size), "");
    TakeZeroTail(building);
    EndPadding(building);
    CountOccurrences(model);
    ReadFrames(building);
    ReadEdges(building);
    if (MappedInputShrank())
        throw Unreadable(Refusal::Shrank, "");
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
