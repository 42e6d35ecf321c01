// Building the model as a receiver of the reader's walk: one pass over the file, every chunk
// and bank as the walk meets it, and what could not be read kept as problems.
#include "model/Model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

#include "CRC32/CRC32.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/DecodeSlot.h"
#include "PCG_readK/Walk.h"
#include "model/Plays.h"

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

// A slot, and its bytes' register as a run of their own (run), for the fingerprint of the bank.
Slot SlotOf(const std::uint8_t* slot, bool readable, std::uint32_t& run)
{
    // Most slots of a file are unused, all zero: their fingerprints are those of every such slot.
    static const Crc32Split zero = [] {
        const std::uint8_t zeros[SlotSize] = {};
        return SlotFingerprints(zeros);
    }();
    if (AllZero(slot, SlotSize)) {
        run = zero.run;
        return Slot{{}, zero.head, zero.whole, zero.rest, zero.tail, {}, DecodeSlot({}), false, readable};
    }
    const std::uint8_t* p = slot + PackedSlotOffset;
    const PackedSlot packed{p[0], p[1], p[2], p[3], p[4], p[5]};
    const Crc32Split parts = SlotFingerprints(slot);
    run = parts.run;
    return {NameOf(slot), parts.head, parts.whole, parts.rest, parts.tail, packed, DecodeSlot(packed), true, readable};
}

// The bytes a bank or a data bank took from the file, as one run: a chunk's fingerprint is made
// of these and of the bytes between them, so that no bank is read twice.
struct HeldRun {
    std::int64_t begin;
    std::int64_t end;
    std::uint32_t reg = Crc32RunStart;
    std::uint64_t length = 0;   // bytes fed; the run stands for the range only where it is end - begin
};

struct Building {
    FileModel& model;
    const InputStream& input;
    bool refused = false;
    HeaderRefusal refusal = HeaderRefusal::NoKorgHeader;
    bool bankRefused = false;          // the walk stopped at a bank it could not load
    bool chunkFingerprints = true;     // false: chunks, data banks and the tail get none (0)
    std::uint8_t* scratch = nullptr;   // the walk's window, once the walk is over: bytes on
                                       // their way to a fingerprint
    bool inPadding = false;            // the last chunk met was zero padding, not yet fingerprinted
    std::vector<HeldRun> bankRuns{};   // of model.banks, index for index
};

// The register of a fingerprint run, fed with the bytes the file holds from at on, up to count,
// read a large run at a time; done receives how many came.
std::uint32_t FeedRange(Building& building, std::uint32_t reg, std::int64_t at, std::uint64_t count,
                        std::uint64_t& done)
{
    constexpr std::size_t RunSize = WindowSize;
    std::uint64_t fed = 0;
    while (fed < count) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - fed, RunSize));
        const std::int64_t from = at + static_cast<std::int64_t>(fed);
        // Bytes in memory are read where they lie; a file's are read into the scratch run, not
        // through its mapping, so that a chunk of any size leaves no more of it in memory.
        const std::uint8_t* bytes = InputMemoryBytesAt(building.input, from, want);
        std::size_t got = want;
        if (bytes == nullptr) {
            got = InputReadAt(building.input, from, building.scratch, want);
            bytes = building.scratch;
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

// A run of zero padding is one entry, said when it ends; its fingerprint, of the whole run, comes
// at the end of the walk.
void EndPadding(Building& building)
{
    if (!building.inPadding)
        return;
    building.inPadding = false;
    Chunk& padding = building.model.chunks.back();
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
        model.chunks.push_back({0, met.offset, static_cast<std::uint64_t>(std::min(end, model.size) - met.offset), 0, 0,
                                false, false, true});
        building.inPadding = true;
        return;
    }
    EndPadding(building);
    const std::int64_t data = met.offset + static_cast<std::int64_t>(sizeof(ChunkHeader));
    // Its fingerprints come at the end of the walk, from those of the banks it holds and its other bytes.
    Chunk chunk{IdOf(met.id), met.offset, met.size, 0, 0, false, met.cut, false};
    if (chunk.cut)
        model.problems.push_back({ProblemKind::ChunkCut, chunk.id, {}, chunk.offset, chunk.size, model.size - data});
    model.chunks.push_back(std::move(chunk));
}

// A bank chunk's own size must be its bank header's and its 128 records', and the bank must lie within
// the top-level chunk that holds it: the walk reads a bank by its header, so a size that lies
// would go unseen, and a file written from it would carry the lie on.
void CheckBankChunkSize(FileModel& model, const BankMet& met)
{
    const auto bankHeader = static_cast<std::int64_t>(sizeof(BankHeader));
    const std::int64_t at = met.offset - bankHeader - static_cast<std::int64_t>(sizeof(ChunkHeader));
    const std::uint64_t meant = sizeof(BankHeader) + std::uint64_t{met.size};
    if (met.chunkSize != meant)
        model.problems.push_back(
            {ProblemKind::BankChunkSizeLies, met.id, met.bankName, at, met.chunkSize,
             static_cast<std::int64_t>(std::min<std::uint64_t>(meant, std::numeric_limits<std::int64_t>::max()))});
    if (model.chunks.empty() || model.chunks.back().padding)
        return;
    const Chunk& parent = model.chunks.back();
    const std::int64_t parentEnd =
        parent.offset + static_cast<std::int64_t>(sizeof(ChunkHeader)) + static_cast<std::int64_t>(parent.size);
    const std::int64_t end = met.offset + static_cast<std::int64_t>(met.size);
    if (end > parentEnd)
        model.problems.push_back(
            {ProblemKind::BankPastParent, met.id, met.bankName, at, static_cast<std::uint64_t>(parentEnd), end});
}

void BankSeen(void* context, const BankMet& met)
{
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    if (met.FirstPart()) {
        EndPadding(building);
        model.banks.push_back({met.id, met.kind, met.bankId, met.bankName, 0, 1, true, met.offset, met.size, {}, {}});
        building.bankRuns.push_back({met.offset, met.offset + static_cast<std::int64_t>(met.size)});
    }
    Bank& bank = model.banks.back();
    HeldRun& run = building.bankRuns.back();
    const std::size_t recordSize = met.kind == Kind::SLS1 ? SetListSize : BankChunkOf(met.id)->recordSize;
    if (met.FirstPart() && (met.numProgs != RecordsPerBank || met.objSize != recordSize))
        model.problems.push_back({ProblemKind::BankHeaderLies, met.id, met.bankName, met.offset, met.numProgs,
                                  static_cast<std::int64_t>(met.objSize)});
    if (met.FirstPart())
        CheckBankChunkSize(model, met);
    if (met.kind == Kind::SLS1) {
        bank.setLists.reserve(RecordsPerBank);
        for (std::size_t i = met.first; i < met.first + met.count; ++i) {
            const std::uint8_t* setList = met.records + SetListSize * (i - met.first);
            // A set list's run: its name field, its slots, its EQ block.
            std::uint32_t reg = Crc32RunFeed(Crc32RunStart, setList, NameSize);
            const std::uint32_t eq = Crc32RunFeed(Crc32RunStart, setList + EqOffset, EqSize);
            SetList list{NameOf(setList),
                         Crc32RunFinish(reg, NameSize),
                         Crc32RunFinish(eq, EqSize),
                         {},
                         SetListSize * (i + 1) <= met.present};
            list.slots.reserve(SlotsPerSetList);
            for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
                const std::size_t at = SetListSize * i + SlotsOffset + SlotSize * j;   // in the bank
                std::uint32_t slotRun = 0;
                list.slots.push_back(
                    SlotOf(setList + SlotsOffset + SlotSize * j, at + SlotSize <= met.present, slotRun));
                reg = Crc32RunJoin(reg, slotRun, SlotSize);
            }
            if (list.readable) {
                run.reg = Crc32RunJoin(run.reg, Crc32RunJoin(reg, eq, EqSize), SetListSize);
                run.length += SetListSize;
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
            bank.records.push_back(
                {NameOf(record), fingerprints.whole, fingerprints.rest, record[0] == 0 && AllZero(record, size)});
            run.reg = Crc32RunJoin(run.reg, fingerprints.run, size);
            run.length += size;
        }
    }
}

void DataSeen(void* context, ChunkId id, std::int64_t offset, std::size_t present)
{
    Building& building = *static_cast<Building*>(context);
    EndPadding(building);
    building.model.dataBanks.push_back({id, offset, present, 0});   // its fingerprint at the end of the walk
}

void BankNotLoaded(void* context, ChunkId id, const std::string& bankName)
{
    static_cast<Building*>(context)->bankRefused = true;
    Building& building = *static_cast<Building*>(context);
    FileModel& model = building.model;
    EndPadding(building);
    const BankChunkInfo* info = BankChunkOf(id);
    model.banks.push_back({id, info != nullptr ? info->kind : Kind::UNKN, 0, bankName, 0, 1, false, 0, 0, {}, {}});
    building.bankRuns.push_back({0, 0});
    model.problems.push_back({ProblemKind::BankNotLoaded, id, bankName, 0, 0, 0});
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

// Each chunk's fingerprint, and that of its bytes outside the banks it holds (the headers,
// unknown parts and the rest, so that a difference there is seen whatever its records do): the
// banks' runs joined with the bytes between them, read here, so that no bank is read twice. A
// chunk cut short is read whole, as far as the file goes.
void ReadChunkFingerprints(Building& building)
{
    FileModel& model = building.model;
    if (!building.chunkFingerprints)
        return;
    std::vector<HeldRun> dataRuns;
    for (DataBank& data : model.dataBanks) {
        HeldRun run{data.offset, data.offset + static_cast<std::int64_t>(data.size)};
        run.reg = FeedRange(building, Crc32RunStart, data.offset, data.size, run.length);
        data.fingerprint = Crc32RunFinish(run.reg, run.length);
        dataRuns.push_back(run);
    }
    std::vector<const HeldRun*> held;
    for (std::size_t b = 0; b < model.banks.size(); ++b)
        if (model.banks[b].loaded)
            held.push_back(&building.bankRuns[b]);
    for (const HeldRun& run : dataRuns)
        held.push_back(&run);
    std::sort(held.begin(), held.end(), [](const HeldRun* a, const HeldRun* b) { return a->begin < b->begin; });
    for (Chunk& chunk : model.chunks) {
        if (chunk.padding) {
            chunk.fingerprint = chunk.frame = FingerprintOfRange(building, chunk.offset, chunk.size);
            continue;
        }
        const std::int64_t from = chunk.offset + static_cast<std::int64_t>(sizeof(ChunkHeader));
        const std::int64_t to = from + static_cast<std::int64_t>(chunk.size);
        if (chunk.cut) {
            chunk.fingerprint = chunk.frame = FingerprintOfRange(building, from, chunk.size);
            continue;
        }
        std::uint32_t whole = Crc32RunStart, frame = Crc32RunStart;
        std::uint64_t frameLength = 0;
        std::int64_t at = from;
        // The bytes from `at` to `until`, read: into the whole run, and into the frame's.
        const auto between = [&](std::int64_t until, bool inFrame) {
            std::uint64_t done = 0;
            const std::uint32_t reg =
                FeedRange(building, Crc32RunStart, at, static_cast<std::uint64_t>(until - at), done);
            whole = Crc32RunJoin(whole, reg, done);
            if (inFrame) {
                frame = Crc32RunJoin(frame, reg, done);
                frameLength += done;
            }
            at = until;
        };
        for (const HeldRun* run : held) {
            if (run->begin < at || run->end > to)
                continue;
            chunk.holdsBanks = true;
            between(run->begin, true);
            if (run->length == static_cast<std::uint64_t>(run->end - run->begin)) {
                whole = Crc32RunJoin(whole, run->reg, run->length);
                at = run->end;
            } else {
                between(run->end, false);   // a bank the file does not hold whole: its bytes as they are
            }
        }
        between(to, true);
        chunk.fingerprint = Crc32RunFinish(whole, chunk.size);
        chunk.frame = chunk.holdsBanks ? Crc32RunFinish(frame, frameLength) : chunk.fingerprint;
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
    } catch (const std::bad_alloc&) {
        throw;   // out of memory is said as such, never as a read error of the file
    } catch (const std::exception& error) {
        throw Unreadable(Refusal::ReadError, error.what());
    }
    if (building.refused)
        throw Unreadable(RefusalOf(building.refusal, model.size), "");
    TakeZeroTail(building);
    EndPadding(building);
    building.scratch = memory.window;   // the walk is over: what is read now goes through its window
    CountOccurrences(model);
    ResolvePlays(model);
    ReadChunkFingerprints(building);
    ReadEdges(building);
    if (MappedInputShrank())
        throw Unreadable(Refusal::Shrank, "");
    return model;
}

FileModel ReadModelOfBytes(const std::string& name, std::string_view bytes)
{
    std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenMemoryInput(bytes.data(), bytes.size(), name),
                                                               &CloseInput);
    return ReadModel(*stream, name);
}

const char* FormatName(std::uint8_t formatCode) { return formatCode == TritonFormat ? "Triton" : "Kronos"; }

const char* ChunkHolds(ChunkId id)
{
    const ChunkIdInfo* info = ChunkIdInfoOf(id);
    return info != nullptr ? info->holds : "unknown";
}

}   // namespace scry
