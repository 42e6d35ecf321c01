// The blobs: a mark, then each run of fields counted; numbers little-endian, texts as a length
// and their bytes.
#include "summary/SummaryCodec.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <cstring>
#include <utility>

namespace scry {

namespace {

constexpr char FileMark[4] = {'S', 'F', 'L', '3'};
constexpr char RowsMark[4] = {'S', 'R', 'W', '2'};
constexpr char WholeMark[4] = {'S', 'W', 'H', '1'};

class Writer {
public:
    void U8(std::uint64_t value) { Put(value, 1); }
    void U32(std::uint64_t value) { Put(value, 4); }
    void U64(std::uint64_t value) { Put(value, 8); }
    void Text(std::string_view text)
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

// Values past what the format allows make a summary or rows damaged: more set-list banks than a
// file of 4 GiB can hold (each takes 8.8 MB), a bank name longer than a name field, more
// records or set lists than a bank holds, set lists and slots past 127, banks past 31.
constexpr std::uint32_t MostBanks = 512;
constexpr std::size_t MostBankName = NameSize;
constexpr std::uint32_t MostSlotBank = 31;

std::string EncodeFile(const FileSummary& summary, std::string_view key, const std::vector<std::int64_t>& bankRows,
                       std::int64_t setListRows)
{
    Writer w;
    w.out.append(FileMark, sizeof FileMark);
    w.Text(key);
    w.U8(summary.formatCode);
    w.U32(summary.problems.size());
    for (const Problem& p : summary.problems) {
        w.U8(static_cast<std::uint8_t>(p.kind));
        w.Text(IdText(p.id));
        w.Text(p.bankName);
        w.U64(static_cast<std::uint64_t>(p.offset));
        w.U64(p.announced);
        w.U64(static_cast<std::uint64_t>(p.present));
    }
    w.U32(summary.banks.size());
    for (std::size_t b = 0; b < summary.banks.size(); ++b) {
        const LibraryBank& bank = summary.banks[b];
        w.U8(bank.kind);
        w.U32(bank.chunk);
        w.U32(bank.bankId);
        w.Text(bank.name);
        w.U32(bank.index);
        w.U32(bank.occurrence);
        w.U32(bank.occurrences);
        w.U64(static_cast<std::uint64_t>(bankRows.at(b)));
    }
    w.U64(static_cast<std::uint64_t>(setListRows));
    w.U32(summary.setListBanks);
    return std::move(w.out);
}

StoredFile DecodeFile(std::string_view blob, std::string_view key)
{
    if (blob.size() < sizeof FileMark || std::memcmp(blob.data(), FileMark, sizeof FileMark) != 0)
        throw DamagedSummary("no summary mark");
    Reader r(blob.substr(sizeof FileMark));
    if (r.Text() != key)
        throw DamagedSummary("it is stored under another file's name");
    StoredFile stored;
    FileSummary& summary = stored.summary;
    summary.formatCode = r.U8();
    std::uint32_t problemsCount = r.Count(33);
    summary.problems.reserve(problemsCount);
    for (std::uint32_t n = problemsCount; n > 0; --n) {
        Problem p;
        p.kind = r.Of(LastProblemKind);
        const std::string id = r.Text();
        p.bankName = r.Text();
        // An id is written up to its first zero byte: one with a zero inside it was never written.
        if (id.size() > sizeof(ChunkId) || id.find('\0') != std::string::npos || p.bankName.size() > MostBankName)
            throw DamagedSummary("a problem's chunk id or bank name longer than any");
        p.id = 0;
        std::memcpy(&p.id, id.data(), id.size());
        p.offset = static_cast<std::int64_t>(r.U64());
        p.announced = r.U64();
        p.present = static_cast<std::int64_t>(r.U64());
        summary.problems.push_back(std::move(p));
    }
    std::uint32_t banksCount = r.Count(33);
    summary.banks.reserve(banksCount);
    for (std::uint32_t n = banksCount; n > 0; --n) {
        LibraryBank bank{};
        bank.kind = r.U8();
        if (bank.kind != Kind::PRG1 && bank.kind != Kind::CMB1)
            throw DamagedSummary("a bank of no record kind");
        bank.chunk = r.U32();
        bank.bankId = r.U32();
        bank.name = r.Text();
        bank.index = r.U32();
        bank.occurrence = r.U32();
        bank.occurrences = r.U32();
        // Banks come in file order, each once; a second of one place counts after the first.
        if (bank.name.size() > MostBankName || bank.occurrence >= bank.occurrences ||
            (!summary.banks.empty() && bank.index <= summary.banks.back().index))
            throw DamagedSummary("a bank's name, place or count out of range");
        summary.banks.push_back(std::move(bank));
        stored.bankRows.push_back(static_cast<std::int64_t>(r.U64()));
    }
    stored.setListRows = static_cast<std::int64_t>(r.U64());
    summary.setListBanks = r.U32();
    if (summary.setListBanks > MostBanks || (summary.setListBanks == 0) != (stored.setListRows == 0))
        throw DamagedSummary("a count of set-list banks out of range");
    if (!r.AtEnd())
        throw DamagedSummary("bytes after the summary");
    return stored;
}

std::string EncodeRows(const BankRows& rows)
{
    Writer w;
    w.out.reserve(16 + rows.records.size() * 36 + rows.slots.size() * 40);
    w.out.append(RowsMark, sizeof RowsMark);
    w.U32(rows.records.size());
    for (const RecordRow& record : rows.records) {
        w.Text(record.name);
        w.U32(record.fingerprint);
        w.U32(record.sound);
    }
    w.U32(rows.setLists.size());
    for (const LibrarySetList& s : rows.setLists) {
        w.U32(s.number);
        w.Text(s.name);
        w.U32(s.fingerprint);
        w.U32(s.used);
    }
    w.U32(rows.slots.size());
    for (const SlotRow& s : rows.slots) {
        w.U32(s.setList);
        w.U32(s.slot);
        w.Text(s.name);
        w.U32(s.fingerprint);
        w.U8(static_cast<std::uint8_t>(s.target.type));
        w.U8(s.target.bank);
        w.U8(s.target.number);
    }
    return std::move(w.out);
}

BankRows DecodeRows(std::string_view blob)
{
    if (blob.size() < sizeof RowsMark || std::memcmp(blob.data(), RowsMark, sizeof RowsMark) != 0)
        throw DamagedSummary("no rows mark");
    Reader r(blob.substr(sizeof RowsMark));
    BankRows rows;
    std::uint32_t recordsCount = r.Count(12);
    if (recordsCount > RecordsPerBank)
        throw DamagedSummary("more records than a bank holds");
    rows.records.reserve(recordsCount);
    for (std::uint32_t n = recordsCount; n > 0; --n) {
        RecordRow record;
        record.name = r.Text();
        if (record.name.size() > NameSize)
            throw DamagedSummary("a name longer than a name field");
        record.fingerprint = r.U32();
        record.sound = r.U32();
        rows.records.push_back(std::move(record));
    }
    std::uint32_t setListsCount = r.Count(16);
    if (setListsCount > RecordsPerBank)
        throw DamagedSummary("more set lists than a bank holds");
    rows.setLists.reserve(setListsCount);
    std::uint64_t used = 0;
    for (std::uint32_t n = setListsCount; n > 0; --n) {
        LibrarySetList s;
        s.number = r.U32();
        s.name = r.Text();
        s.fingerprint = r.U32();
        s.used = r.U32();
        if (s.number >= RecordsPerBank || (!rows.setLists.empty() && s.number <= rows.setLists.back().number) ||
            s.name.size() > NameSize || s.used > SlotsPerSetList)
            throw DamagedSummary("a set list's number, name or count of slots out of range");
        used += s.used;
        rows.setLists.push_back(std::move(s));
    }
    std::uint32_t slotsCount = r.Count(19);
    rows.slots.reserve(slotsCount);
    for (std::uint32_t n = slotsCount; n > 0; --n) {
        SlotRow s;
        s.setList = r.U32();
        s.slot = r.U32();
        s.name = r.Text();
        s.fingerprint = r.U32();
        s.target.type = r.Of(SlotType::Type3);
        s.target.bank = r.U8();
        s.target.number = r.U8();
        // In order of set list and slot, each once, within the set lists the rows hold.
        const bool inOrder =
            rows.slots.empty() ||
            std::make_pair(s.setList, s.slot) > std::make_pair(rows.slots.back().setList, rows.slots.back().slot);
        if (s.setList >= RecordsPerBank || s.slot >= SlotsPerSetList || !inOrder || s.name.size() > NameSize ||
            s.target.bank > MostSlotBank)
            throw DamagedSummary("a slot's place, name or target out of range");
        rows.slots.push_back(std::move(s));
    }
    if (rows.slots.size() != used)
        throw DamagedSummary("set lists that count other slots than the rows hold");
    if (!r.AtEnd())
        throw DamagedSummary("bytes after the rows");
    return rows;
}

// The whole summary: its file blob, whose rows ids are places in the list of rows that follows
// (1 for the first, 0 for none), and each distinct rows blob once.
std::string EncodeSummary(const FileSummary& summary, std::string_view key)
{
    std::vector<const BankRows*> distinct;
    const auto idOf = [&](const SharedRows& rows) -> std::int64_t {
        if (!rows)
            return 0;
        const auto at = std::find(distinct.begin(), distinct.end(), rows.get());
        if (at != distinct.end())
            return at - distinct.begin() + 1;
        distinct.push_back(rows.get());
        return static_cast<std::int64_t>(distinct.size());
    };
    std::vector<std::int64_t> bankRows;
    for (const LibraryBank& bank : summary.banks)
        bankRows.push_back(idOf(bank.rows));
    const std::int64_t setListRows = idOf(summary.setLists);
    Writer w;
    w.out.append(WholeMark, sizeof WholeMark);
    w.Text(EncodeFile(summary, key, bankRows, setListRows));
    w.U32(distinct.size());
    for (const BankRows* rows : distinct)
        w.Text(EncodeRows(*rows));
    return std::move(w.out);
}

FileSummary DecodeSummary(std::string_view blob, std::string_view key)
{
    Reader r(blob);
    if (blob.substr(0, sizeof WholeMark) != std::string_view(WholeMark, sizeof WholeMark))
        throw DamagedSummary("no summary's mark");
    r.U32();
    StoredFile stored = DecodeFile(r.Text(), key);
    std::vector<SharedRows> rows(r.Count(4));
    for (SharedRows& each : rows)
        each = std::make_shared<const BankRows>(DecodeRows(r.Text()));
    if (!r.AtEnd())
        throw DamagedSummary("bytes after the summary");
    const auto rowsOf = [&](std::int64_t id) -> SharedRows {
        if (id < 0 || static_cast<std::uint64_t>(id) > rows.size())
            throw DamagedSummary("rows the summary does not hold");
        return id == 0 ? nullptr : rows[static_cast<std::size_t>(id - 1)];
    };
    for (std::size_t b = 0; b < stored.summary.banks.size(); ++b)
        stored.summary.banks[b].rows = rowsOf(stored.bankRows[b]);
    stored.summary.setLists = rowsOf(stored.setListRows);
    return std::move(stored.summary);
}

}   // namespace scry
