// A file's model as library rows, and rows as hits show them.
#include "summary/Summary.h"

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"

namespace scry {

namespace {

// FNV-1a, 64 bits, over what makes rows equal.
class Hasher {
public:
    void Bytes(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ bytes[i]) * 0x100000001B3u;
    }
    void Number(std::uint64_t number) { Bytes(&number, sizeof number); }
    void Text(const std::string& text)
    {
        Number(text.size());
        Bytes(text.data(), text.size());
    }
    std::uint64_t value = 0xCBF29CE484222325u;
};

}   // namespace

std::uint32_t SetListPartsFingerprint(const SetList& list)
{
    std::uint8_t bytes[4 * (SlotsPerSetList + 2)];
    std::size_t at = 0;
    const auto put = [&](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes[at++] = static_cast<std::uint8_t>(value >> shift);
    };
    put(list.nameField);
    for (const Slot& slot : list.slots)
        put(slot.fingerprint);
    put(list.eq);
    return Crc32Of(bytes, static_cast<std::int32_t>(at));
}

FileSummary SummaryOf(const FileModel& model)
{
    FileSummary summary;
    summary.formatCode = model.formatCode;
    summary.problems = model.problems;
    for (std::size_t b = 0; b < model.banks.size(); ++b) {
        const Bank& bank = model.banks[b];
        if (RecordKindOf(bank.kind) == nullptr)
            continue;
        LibraryBank row{bank.kind,
                        bank.id,
                        bank.bankId,
                        bank.name,
                        static_cast<std::uint32_t>(b),
                        static_cast<std::uint32_t>(bank.occurrence),
                        static_cast<std::uint32_t>(bank.occurrences),
                        nullptr};
        if (bank.loaded) {
            auto rows = std::make_shared<BankRows>();
            rows->records.reserve(bank.records.size());
            for (const Record& record : bank.records)
                rows->records.push_back({record.name, record.fingerprint, record.sound});
            row.rows = std::move(rows);
        }
        summary.banks.push_back(std::move(row));
    }
    // The set lists of the first set-list bank, as every command reads set list N.
    summary.setListBanks = static_cast<std::uint32_t>(SetListBanks(model).size());
    const SetListView first = SetListOf(model, 0);
    if (first.bank == nullptr)
        return summary;
    auto rows = std::make_shared<BankRows>();
    for (std::size_t number = 0; number < first.bank->setLists.size(); ++number) {
        const SetList& list = first.bank->setLists[number];
        std::uint32_t used = 0;
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            if (!slot.used)
                continue;
            ++used;
            rows->slots.push_back({static_cast<std::uint32_t>(number), static_cast<std::uint32_t>(j), slot.name,
                                   slot.fingerprint, TargetOf(slot.fields)});
        }
        rows->setLists.push_back({static_cast<std::uint32_t>(number), list.name, SetListPartsFingerprint(list), used});
    }
    summary.setLists = std::move(rows);
    return summary;
}

LibraryRecord RecordOf(const LibraryBank& bank, std::uint32_t number)
{
    const RecordRow& record = bank.rows->records.at(number);
    return {{bank.kind, bank.bankId, number},
            bank.chunk,
            bank.name,
            bank.index,
            bank.occurrence,
            bank.occurrences,
            record.name,
            record.fingerprint,
            record.sound};
}

PlayedRow PlayedIn(const FileSummary& file, const Target& target)
{
    switch (SlotBankClassOf(static_cast<std::uint8_t>(target.type), target.bank)) {
    case SlotBankClass::Songs: return {Resolution::Song};
    case SlotBankClass::NoBank: return {Resolution::NoBank};
    case SlotBankClass::InstrumentBank: return {Resolution::InstrumentBank};
    case SlotBankClass::FileBank: break;
    }
    const RecordKind* kind = RecordKindPlayedBy(target.type);
    std::uint32_t bankId = 0;
    if (kind == nullptr || !SlotBankId(static_cast<std::uint8_t>(target.type), target.bank, bankId))
        return {Resolution::NotInFile};
    // Where a file holds a bank twice, the later load is the one the instrument keeps.
    const LibraryBank* holder = nullptr;
    for (const LibraryBank& bank : file.banks)
        if (bank.kind == kind->kind && bank.bankId == bankId)
            holder = &bank;
    if (holder == nullptr)
        return {Resolution::NotInFile};
    if (holder->rows == nullptr)
        return {Resolution::NotReadable, holder};
    if (target.number >= holder->rows->records.size())
        return {Resolution::NoSuchNumber, holder};
    return {Resolution::Found, holder, &holder->rows->records[target.number]};
}

LibrarySlot SlotOf(const FileSummary& file, const SlotRow& slot)
{
    const PlayedRow played = PlayedIn(file, slot.target);
    LibrarySlot row{
        {0, slot.setList, slot.slot}, slot.name, slot.fingerprint, slot.target, played.resolution, {}, 0, 0};
    if (played.record != nullptr) {
        row.playsName = played.record->name;
        row.playsChunk = played.bank->chunk;
        row.playsSound = played.record->sound;
    }
    return row;
}

std::uint64_t RowsHash(const BankRows& rows)
{
    Hasher hash;
    hash.Number(rows.records.size());
    for (const RecordRow& record : rows.records) {
        hash.Text(record.name);
        hash.Number(std::uint64_t{record.fingerprint} << 32 | record.sound);
    }
    hash.Number(rows.setLists.size());
    for (const LibrarySetList& list : rows.setLists) {
        hash.Number(std::uint64_t{list.number} << 32 | list.used);
        hash.Text(list.name);
        hash.Number(list.fingerprint);
    }
    hash.Number(rows.slots.size());
    for (const SlotRow& slot : rows.slots) {
        hash.Number(std::uint64_t{slot.setList} << 32 | slot.slot);
        hash.Text(slot.name);
        hash.Number(slot.fingerprint);
        hash.Number(static_cast<std::uint64_t>(slot.target.type) << 16 | std::uint64_t{slot.target.bank} << 8 |
                    slot.target.number);
    }
    return hash.value;
}

SharedRows RowsPool::Share(SharedRows rows)
{
    if (rows == nullptr)
        return rows;
    const std::uint64_t hash = RowsHash(*rows);
    const auto [first, last] = kept.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (*it->second == *rows)
            return it->second;
    kept.emplace(hash, rows);
    return rows;
}

void RowsPool::ShareAll(FileSummary& summary)
{
    for (LibraryBank& bank : summary.banks)
        bank.rows = Share(std::move(bank.rows));
    summary.setLists = Share(std::move(summary.setLists));
}

}   // namespace scry
