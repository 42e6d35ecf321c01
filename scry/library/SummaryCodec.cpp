// The summary blob: a format mark, then the problems, records, set lists and slots, each run
// counted; numbers little-endian, texts as a length and their bytes.
#include "library/SummaryCodec.h"

#include <cstdint>
#include <cstring>

namespace scry {

namespace {

constexpr char Mark[4] = {'S', 'S', 'B', '1'};

class Writer {
public:
    void U8(std::uint64_t value) { Put(value, 1); }
    void U32(std::uint64_t value) { Put(value, 4); }
    void U64(std::uint64_t value) { Put(value, 8); }
    void Text(const std::string& text)
    {
        U32(text.size());
        out += text;
    }
    std::string out;

private:
    void Put(std::uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : in(bytes) {}
    std::uint8_t U8() { return static_cast<std::uint8_t>(Get(1)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Get(4)); }
    std::uint64_t U64() { return Get(8); }
    std::string Text()
    {
        const std::uint32_t size = U32();
        Need(size);
        std::string text(in.substr(at, size));
        at += size;
        return text;
    }
    // A count of items of at least `least` bytes each, that the rest of the blob can hold.
    std::uint32_t Count(std::size_t least)
    {
        const std::uint32_t count = U32();
        if (static_cast<std::uint64_t>(count) * least > in.size() - at)
            throw DamagedSummary("a count beyond the blob's end");
        return count;
    }
    template <class Enum>
    Enum Of(Enum last)
    {
        const std::uint8_t value = U8();
        if (value > static_cast<std::uint8_t>(last))
            throw DamagedSummary("a value out of its range");
        return static_cast<Enum>(value);
    }
    bool AtEnd() const { return at == in.size(); }

private:
    void Need(std::size_t bytes) const
    {
        if (bytes > in.size() - at)
            throw DamagedSummary("the blob ends early");
    }
    std::uint64_t Get(int bytes)
    {
        Need(static_cast<std::size_t>(bytes));
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(in[at + i])) << (8 * i);
        at += static_cast<std::size_t>(bytes);
        return value;
    }
    std::string_view in;
    std::size_t at = 0;
};

}   // namespace

std::string EncodeSummary(const FileSummary& summary)
{
    Writer w;
    w.out.reserve(64 + summary.records.size() * 48 + summary.slots.size() * 48);
    w.out.append(Mark, sizeof Mark);
    w.U8(summary.formatCode);
    w.U32(summary.problems.size());
    for (const Problem& p : summary.problems) {
        w.U8(static_cast<std::uint8_t>(p.kind));
        w.Text(p.id);
        w.Text(p.bankName);
        w.U64(static_cast<std::uint64_t>(p.offset));
        w.U64(p.announced);
        w.U64(static_cast<std::uint64_t>(p.present));
    }
    w.U32(summary.records.size());
    for (const LibraryRecord& r : summary.records) {
        w.U8(r.kind);
        w.U32(r.chunk);
        w.U32(r.bankId);
        w.Text(r.bankName);
        w.U32(r.bank);
        w.U32(r.occurrence);
        w.U32(r.occurrences);
        w.U32(r.number);
        w.Text(r.name);
        w.U32(r.fingerprint);
        w.U32(r.sound);
    }
    w.U32(summary.setLists.size());
    for (const LibrarySetList& s : summary.setLists) {
        w.U32(s.number);
        w.Text(s.name);
        w.U32(s.fingerprint);
        w.U32(s.used);
    }
    w.U32(summary.slots.size());
    for (const LibrarySlot& s : summary.slots) {
        w.U32(s.setList);
        w.U32(s.slot);
        w.Text(s.name);
        w.U32(s.fingerprint);
        w.U8(static_cast<std::uint8_t>(s.target.type));
        w.U8(s.target.bank);
        w.U8(s.target.number);
        w.U8(static_cast<std::uint8_t>(s.resolution));
        w.Text(s.playsName);
        w.U32(s.playsChunk);
        w.U32(s.playsSound);
    }
    return std::move(w.out);
}

FileSummary DecodeSummary(std::string_view blob)
{
    if (blob.size() < sizeof Mark || std::memcmp(blob.data(), Mark, sizeof Mark) != 0)
        throw DamagedSummary("no summary mark");
    Reader r(blob.substr(sizeof Mark));
    FileSummary summary;
    summary.formatCode = r.U8();
    std::uint32_t problemsCount = r.Count(33);
    summary.problems.reserve(problemsCount);
    for (std::uint32_t n = problemsCount; n > 0; --n) {
        Problem p;
        p.kind = r.Of(LastProblemKind);
        p.id = r.Text();
        p.bankName = r.Text();
        p.offset = static_cast<std::int64_t>(r.U64());
        p.announced = r.U64();
        p.present = static_cast<std::int64_t>(r.U64());
        summary.problems.push_back(std::move(p));
    }
    std::uint32_t recordsCount = r.Count(41);
    summary.records.reserve(recordsCount);
    for (std::uint32_t n = recordsCount; n > 0; --n) {
        LibraryRecord rec;
        rec.kind = r.U8();
        if (rec.kind != Kind::PRG1 && rec.kind != Kind::CMB1)
            throw DamagedSummary("a record of no record kind");
        rec.chunk = r.U32();
        rec.bankId = r.U32();
        rec.bankName = r.Text();
        rec.bank = r.U32();
        rec.occurrence = r.U32();
        rec.occurrences = r.U32();
        rec.number = r.U32();
        rec.name = r.Text();
        rec.fingerprint = r.U32();
        rec.sound = r.U32();
        summary.records.push_back(std::move(rec));
    }
    std::uint32_t setListsCount = r.Count(16);
    summary.setLists.reserve(setListsCount);
    for (std::uint32_t n = setListsCount; n > 0; --n) {
        LibrarySetList s;
        s.number = r.U32();
        s.name = r.Text();
        s.fingerprint = r.U32();
        s.used = r.U32();
        summary.setLists.push_back(std::move(s));
    }
    std::uint32_t slotsCount = r.Count(32);
    summary.slots.reserve(slotsCount);
    for (std::uint32_t n = slotsCount; n > 0; --n) {
        LibrarySlot s;
        s.setList = r.U32();
        s.slot = r.U32();
        s.name = r.Text();
        s.fingerprint = r.U32();
        s.target.type = r.Of(SlotType::Type3);
        s.target.bank = r.U8();
        s.target.number = r.U8();
        s.resolution = r.Of(Resolution::NoBank);
        s.playsName = r.Text();
        s.playsChunk = r.U32();
        s.playsSound = r.U32();
        summary.slots.push_back(std::move(s));
    }
    if (!r.AtEnd())
        throw DamagedSummary("bytes after the summary");
    return summary;
}

}   // namespace scry
