// The plan of a copy.
#include "model/Copy.h"

#include <map>
#include <set>

#include "Korg_Kronos_Defs/BankNames.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"

namespace scry {

bool RecordBankAt(const FileModel& file, ChunkKind kind, std::uint32_t bankId, std::size_t& index)
{
    bool found = false;
    for (std::size_t b = 0; b < file.banks.size(); ++b)
        if (file.banks[b].kind == kind && file.banks[b].bankId == bankId && file.banks[b].loaded) {
            index = b;
            found = true;
        }
    return found;
}

namespace {

using Place = std::pair<std::size_t, std::size_t>;   // bank index, number

// The places of DEST's records that its slots play (its first set-list bank, as every command
// reads it), and which slots, but for the set lists a copy writes over.
std::map<Place, std::vector<std::pair<std::size_t, std::size_t>>> PlayedPlaces(const FileModel& dest,
                                                                               const std::set<std::size_t>& replaced)
{
    std::map<Place, std::vector<std::pair<std::size_t, std::size_t>>> played;
    const SetListAt first = SetListOf(dest, 0);
    if (first.bank == nullptr)
        return played;
    for (std::size_t i = 0; i < first.bank->setLists.size(); ++i) {
        if (replaced.count(i) != 0)
            continue;
        const SetList& list = first.bank->setLists[i];
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            if (!slot.used || !slot.readable)
                continue;
            const Plays plays = WhatSlotPlays(dest, TargetOf(slot.fields));
            if (plays.record != nullptr)
                played[{plays.bank, plays.target.number}].emplace_back(i, j);
        }
    }
    return played;
}

// The bank type whose names a kind of record bank bears.
BankType NamingOf(ChunkKind kind) { return kind == Kind::CMB1 ? CombiBankType : HD1BankType; }

}   // namespace

CopyPlan PlanCopy(const FileModel& src, const FileModel& dest, const CopyAsk& ask)
{
    CopyPlan plan;
    const auto refuse = [&](CopyRefusal refusal) { plan.refusals.push_back(std::move(refusal)); };
    std::map<Place, std::string> written;   // DEST's places written, and by which ask

    // ---- Records asked by place
    for (const RecordRange& range : ask.records) {
        std::size_t from = 0, to = 0;
        if (!RecordBankAt(src, range.kind, range.srcBank, from)) {
            refuse({CopyRefusal::NoSuchBank, range.asked, {}, true});
            continue;
        }
        if (!RecordBankAt(dest, range.kind, range.destBank, to)) {
            refuse({CopyRefusal::NoSuchBank, range.asked, {}, false});
            continue;
        }
        if (range.count == 0 || range.srcFirst + range.count > RecordsPerBank ||
            range.destFirst + range.count > RecordsPerBank) {
            refuse({CopyRefusal::PastTheEnd, range.asked});
            continue;
        }
        if (src.banks[from].id != dest.banks[to].id) {
            CopyRefusal refusal{CopyRefusal::OtherEngine, range.asked};
            refusal.srcChunk = src.banks[from].id;
            refusal.destChunk = dest.banks[to].id;
            refuse(refusal);
            continue;
        }
        for (std::size_t k = 0; k < range.count; ++k) {
            const Place place{to, range.destFirst + k};
            const auto [at, fresh] = written.emplace(place, range.asked);
            if (!fresh) {
                refuse({CopyRefusal::Overlap, range.asked, at->second});
                break;
            }
            plan.records.push_back({{from, range.srcFirst + k}, {to, range.destFirst + k}, false});
        }
    }

    // ---- Set lists
    std::set<std::size_t> replaced;
    std::map<std::size_t, std::string> askedFor;   // each set list of DEST written, by what asked for it
    std::vector<const SetList*> sources;
    for (const SetListCopy& copy : ask.setLists) {
        const SetListAt from = SetListOf(src, copy.src);
        const SetListAt to = SetListOf(dest, copy.dest);
        if (from.list == nullptr || !from.list->readable) {
            refuse({CopyRefusal::NoSuchSetList, copy.asked, {}, true});
            continue;
        }
        if (to.list == nullptr || !to.list->readable) {
            refuse({CopyRefusal::NoSuchSetList, copy.asked, {}, false});
            continue;
        }
        replaced.insert(copy.dest);
        if (const auto [at, fresh] = askedFor.emplace(copy.dest, copy.asked); !fresh)
            refuse({CopyRefusal::Overlap, copy.asked, at->second});
        plan.setLists.push_back({copy.src, copy.dest, {}});
        sources.push_back(from.list);
    }

    // DEST as it reads with the records asked written in: where set lists find their sounds.
    FileModel after = dest;
    for (const RecordWrite& write : plan.records)
        after.banks[write.to.bank].records[write.to.number] = RecordOf(src, write.from);
    SoundIndex sounds(after);
    const auto played = PlayedPlaces(dest, replaced);

    // Each used slot that plays a record of SRC plays its sound in the copy: first where the copy
    // holds it already, each such place then taken, so that nothing copied in for another slot
    // lands on it; then, for the sounds the copy lacks, where they are copied in.
    std::map<std::pair<ChunkId, std::uint32_t>, RecordAt> copiedIn;   // sounds copied in, by chunk and sound
    std::vector<RecordAt> missing;
    std::set<std::pair<ChunkId, std::uint32_t>> missingSounds;
    std::set<Place> taken;
    for (const auto& [place, asked] : written)
        taken.insert(place);
    struct Lacking {
        SlotWrite* write;
        Plays plays;
    };
    std::vector<Lacking> lacking;
    std::vector<std::vector<Plays>> playsOf(plan.setLists.size());   // of each slot written, in order
    for (std::size_t c = 0; c < plan.setLists.size(); ++c) {
        SetListWrite& write = plan.setLists[c];
        const SetList& list = *sources[c];
        for (std::size_t j = 0; j < list.slots.size(); ++j)
            if (list.slots[j].used) {
                const Plays plays = WhatSlotPlays(src, TargetOf(list.slots[j].fields));
                write.slots.push_back({j, plays.target, plays.target, {}, plays.record != nullptr, {}});
                playsOf[c].push_back(plays);
            }
    }
    for (std::size_t c = 0; c < plan.setLists.size(); ++c)
        for (std::size_t k = 0; k < plan.setLists[c].slots.size(); ++k) {
            SlotWrite& slotWrite = plan.setLists[c].slots[k];
            if (!slotWrite.playsRecord)
                continue;
            const Plays& plays = playsOf[c][k];
            const Bank& bank = src.banks[plays.bank];
            const std::vector<RecordAt> places =
                PlacesSlotsCanPlay(after, sounds.PlacesOf(bank.id, plays.record->sound));
            if (places.empty()) {
                lacking.push_back({&slotWrite, plays});
                continue;
            }
            slotWrite.sound = sounds.Choose(places, plays.record->name, bank.bankId, plays.target.number);
            taken.insert({slotWrite.sound.bank, slotWrite.sound.number});
        }
    for (const Lacking& need : lacking) {
        SlotWrite& slotWrite = *need.write;
        const Plays& plays = need.plays;
        const Bank& bank = src.banks[plays.bank];
        const std::pair<ChunkId, std::uint32_t> key{bank.id, plays.record->sound};
        const auto in = copiedIn.find(key);
        if (in != copiedIn.end()) {
            slotWrite.sound = in->second;
            continue;
        }
        if (!ask.to) {
            if (missingSounds.insert(key).second)
                missing.push_back({plays.bank, plays.target.number});
            slotWrite.playsRecord = false;
            continue;
        }
        // The next place of --to's bank that no slot of DEST or of a set list copied plays, and
        // nothing else takes.
        std::uint32_t bankId = 0;
        std::size_t into = 0;
        if (!BankIdOfName(NamingOf(bank.kind), *ask.to, bankId) || !RecordBankAt(after, bank.kind, bankId, into)) {
            CopyRefusal refusal{CopyRefusal::NoToBank, *ask.to};
            refusal.recordKind = bank.kind;
            refuse(refusal);
            return plan;
        }
        if (after.banks[into].id != bank.id) {
            CopyRefusal refusal{CopyRefusal::OtherEngine, "--to " + *ask.to};
            refusal.srcChunk = bank.id;
            refusal.destChunk = after.banks[into].id;
            refuse(refusal);
            return plan;
        }
        std::size_t n = 0;
        while (n < RecordsPerBank && (taken.count({into, n}) != 0 || played.count({into, n}) != 0))
            ++n;
        if (n == RecordsPerBank) {
            refuse({CopyRefusal::ToBankFull, *ask.to});
            return plan;
        }
        taken.insert({into, n});
        const RecordAt at{into, n};
        copiedIn[key] = at;
        plan.records.push_back({{plays.bank, plays.target.number}, at, true});
        after.banks[into].records[n] = *plays.record;
        slotWrite.sound = at;
    }
    for (SetListWrite& write : plan.setLists)
        for (SlotWrite& slotWrite : write.slots) {
            if (!slotWrite.playsRecord)
                continue;
            if (!TargetOfRecord(after, slotWrite.sound.bank, slotWrite.sound.number, slotWrite.to)) {
                CopyRefusal refusal{CopyRefusal::NoToBank, ask.to.value_or("")};
                refusal.recordKind = after.banks[slotWrite.sound.bank].kind;
                refuse(refusal);
                return plan;
            }
            slotWrite.name = RecordOf(after, slotWrite.sound).name;
        }
    if (!missing.empty()) {
        CopyRefusal refusal{CopyRefusal::SoundsMissing};
        refusal.records = missing;
        refuse(refusal);
    }

    // Places written that DEST's own slots play: they would play another sound.
    if (!ask.force) {
        for (const RecordWrite& write : plan.records) {
            const auto slots = played.find({write.to.bank, write.to.number});
            if (slots == played.end() || write.forSetList)
                continue;
            CopyRefusal refusal{CopyRefusal::PlayedBySlots, written[{write.to.bank, write.to.number}]};
            refusal.records = {write.to, write.from};
            refusal.slots = slots->second;
            refuse(refusal);
        }
    }
    for (const RecordWrite& write : plan.records) {
        plan.combinationsCopied = plan.combinationsCopied || dest.banks[write.to.bank].kind == Kind::CMB1;
        plan.programsWrittenOver = plan.programsWrittenOver || dest.banks[write.to.bank].kind == Kind::PRG1;
    }
    return plan;
}

}   // namespace scry
