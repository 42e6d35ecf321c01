// The plan of a copy.
#include "model/Copy.h"

#include <map>
#include <optional>
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

// The places of DEST's records that its slots play (its first set-list bank, as every command
// reads it), and which slots, but for the set lists a copy writes over.
std::map<RecordAt, std::vector<SlotAt>> PlayedPlaces(const FileModel& dest, const std::set<std::size_t>& replaced)
{
    std::map<RecordAt, std::vector<SlotAt>> played;
    const SetListView first = SetListOf(dest, 0);
    if (first.bank == nullptr)
        return played;
    for (std::size_t i = 0; i < first.bank->setLists.size(); ++i) {
        if (replaced.count(i) != 0)
            continue;
        ForEachPlayingSlot(first.bank->setLists[i], [&](std::size_t j, const Slot& slot) {
            const Plays plays = SlotPlays(dest, slot);
            if (plays.record != nullptr)
                played[{plays.bank, plays.target.number}].push_back({0, i, j});
        });
    }
    return played;
}

// The bank type whose names a kind of record bank bears.
BankType NamingOf(ChunkKind kind) { return kind == Kind::CMB1 ? CombiBankType : HD1BankType; }

using SoundKey = std::pair<ChunkId, std::uint32_t>;   // a bank chunk id and a sound

// How many places of the copy hold each sound, kept as places are written: what tells a free
// place from the last copy of a sound.
class Holdings {
public:
    explicit Holdings(const FileModel& file)
    {
        for (const Bank& bank : file.banks)
            for (const Record& record : bank.records)
                ++count[{bank.id, record.sound}];
    }
    // Free: what it holds is held in another place too, or it holds nothing.
    bool Free(const FileModel& file, const RecordAt& at) const
    {
        const Record& record = RecordOf(file, at);
        return record.zeroed || count.at({file.banks[at.bank].id, record.sound}) > 1;
    }
    // Whether any place holds this sound of this bank chunk.
    bool Held(const SoundKey& key) const
    {
        const auto found = count.find(key);
        return found != count.end() && found->second != 0;
    }
    void Written(const FileModel& file, const RecordAt& at, const Record& now)
    {
        const ChunkId bank = file.banks[at.bank].id;
        --count[{bank, RecordOf(file, at).sound}];
        ++count[{bank, now.sound}];
    }

private:
    std::map<SoundKey, std::size_t> count;
};

}   // namespace

CopyPlan PlanCopy(const FileModel& src, const FileModel& dest, const CopyAsk& ask)
{
    CopyPlan plan;
    const auto refuse = [&](CopyRefusal refusal) { plan.refusals.push_back(std::move(refusal)); };
    std::map<RecordAt, std::string> written;   // DEST's places written, and by which ask

    // DEST as it reads with what is planned so far written in, and how many places hold each sound.
    FileModel after = dest;
    Holdings holdings(after);
    std::set<RecordAt> taken;   // places written, or where a slot of a set list copied finds its sound
    const auto put = [&](const RecordAt& from, const RecordAt& to, bool forSetList, const std::string& asked) {
        const Record& record = RecordOf(src, from);
        holdings.Written(after, to, record);
        after.banks[to.bank].records[to.number] = record;
        taken.insert(to);
        plan.records.push_back({from, to, forSetList, asked});
    };

    // ---- Records asked by place
    for (const RecordRange& range : ask.records) {
        if (range.intoTo)
            continue;
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
            const RecordAt place{to, range.destFirst + k};
            const auto [at, fresh] = written.emplace(place, range.asked);
            if (!fresh) {
                refuse({CopyRefusal::Overlap, range.asked, at->second});
                break;
            }
            put({from, range.srcFirst + k}, {to, range.destFirst + k}, false, range.asked);
        }
    }

    // ---- Set lists
    std::set<std::size_t> replaced;
    std::map<std::size_t, std::string> askedFor;   // each set list of DEST written, by what asked for it
    std::vector<const SetList*> sources;
    for (const SetListCopy& copy : ask.setLists) {
        const SetListView from = SetListOf(src, copy.src);
        const SetListView to = SetListOf(dest, copy.dest);
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
    const auto played = PlayedPlaces(dest, replaced);

    // --to's bank for records of a bank of SRC: false, refused, where DEST holds none that fits.
    const auto toBank = [&](const Bank& bank, std::size_t& into) {
        std::uint32_t bankId = 0;
        if (!BankIdOfName(NamingOf(bank.kind), *ask.to, bankId) || !RecordBankAt(after, bank.kind, bankId, into)) {
            CopyRefusal refusal{CopyRefusal::NoToBank, "--to " + *ask.to};
            refusal.recordKind = bank.kind;
            refuse(refusal);
            return false;
        }
        if (after.banks[into].id != bank.id) {
            CopyRefusal refusal{CopyRefusal::OtherEngine, "--to " + *ask.to};
            refusal.srcChunk = bank.id;
            refusal.destChunk = after.banks[into].id;
            refuse(refusal);
            return false;
        }
        return true;
    };
    // The next place of a bank that no slot of DEST plays and nothing else takes: a free one if
    // any is left, else the first of the others (a last copy, refused below but with force).
    const auto nextPlace = [&](std::size_t into) -> std::optional<std::size_t> {
        std::optional<std::size_t> last;
        for (std::size_t n = 0; n < RecordsPerBank; ++n) {
            if (taken.count({into, n}) != 0 || played.count({into, n}) != 0)
                continue;
            if (holdings.Free(after, {into, n}))
                return n;
            if (!last)
                last = n;
        }
        return last;
    };

    // ---- Records into --to's bank
    for (const RecordRange& range : ask.records) {
        if (!range.intoTo)
            continue;
        std::size_t from = 0, into = 0;
        if (!RecordBankAt(src, range.kind, range.srcBank, from)) {
            refuse({CopyRefusal::NoSuchBank, range.asked, {}, true});
            continue;
        }
        if (!ask.to) {
            refuse({CopyRefusal::NoPlaceNamed, range.asked});
            continue;
        }
        if (range.count == 0 || range.srcFirst + range.count > RecordsPerBank) {
            refuse({CopyRefusal::PastTheEnd, range.asked});
            continue;
        }
        if (!toBank(src.banks[from], into))
            return plan;
        for (std::size_t k = 0; k < range.count; ++k) {
            const std::optional<std::size_t> n = nextPlace(into);
            if (!n) {
                refuse({CopyRefusal::ToBankFull, "--to " + *ask.to});
                return plan;
            }
            put({from, range.srcFirst + k}, {into, *n}, false, range.asked);
        }
    }

    // Each used slot that plays a record of SRC plays its sound in the copy: first where the copy
    // holds it already, each such place then taken, so that nothing copied in for another slot
    // lands on it; then, for the sounds the copy lacks, where they are copied in.
    SoundIndex sounds(after);
    std::map<SoundKey, RecordAt> copiedIn;   // sounds copied in, by chunk and sound
    std::vector<RecordAt> missing;
    std::set<SoundKey> missingSounds;
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
                const Plays plays = SlotPlays(src, list.slots[j]);
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
            taken.insert(slotWrite.sound);
        }
    for (const Lacking& need : lacking) {
        SlotWrite& slotWrite = *need.write;
        const Plays& plays = need.plays;
        const Bank& bank = src.banks[plays.bank];
        const SoundKey key{bank.id, plays.record->sound};
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
        std::size_t into = 0;
        if (!toBank(bank, into))
            return plan;
        const std::optional<std::size_t> n = nextPlace(into);
        if (!n) {
            refuse({CopyRefusal::ToBankFull, "--to " + *ask.to});
            return plan;
        }
        const RecordAt at{into, *n};
        copiedIn[key] = at;
        put({plays.bank, plays.target.number}, at, true, "--to " + *ask.to);
        slotWrite.sound = at;
    }
    for (SetListWrite& write : plan.setLists)
        for (SlotWrite& slotWrite : write.slots) {
            if (!slotWrite.playsRecord)
                continue;
            if (!TargetOfRecord(after, slotWrite.sound.bank, slotWrite.sound.number, slotWrite.to)) {
                CopyRefusal refusal{CopyRefusal::NoToBank, "--to " + ask.to.value_or("")};
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
            const auto slots = played.find(write.to);
            if (slots == played.end() || write.forSetList)
                continue;
            CopyRefusal refusal{CopyRefusal::PlayedBySlots, write.asked};
            refusal.records = {write.to, write.from};
            refusal.slots = slots->second;
            refuse(refusal);
        }
    }
    // Sounds of DEST that no place of the copy holds any more, once each.
    std::set<SoundKey> gone;
    for (const RecordWrite& write : plan.records) {
        const Record& was = RecordOf(dest, write.to);
        const SoundKey key{dest.banks[write.to.bank].id, was.sound};
        if (was.zeroed || holdings.Held(key) || !gone.insert(key).second)
            continue;
        CopyRefusal refusal{CopyRefusal::LastCopy, write.asked};
        refusal.records = {write.to};
        (ask.force ? plan.warnings : plan.refusals).push_back(refusal);
    }
    for (const RecordWrite& write : plan.records) {
        plan.combinationsCopied = plan.combinationsCopied || dest.banks[write.to.bank].kind == Kind::CMB1;
        plan.programsWrittenOver = plan.programsWrittenOver || dest.banks[write.to.bank].kind == Kind::PRG1;
    }
    return plan;
}

std::vector<BankRoom> RoomOfBanks(const FileModel& file)
{
    std::vector<BankRoom> rooms;
    const std::map<RecordAt, std::vector<SlotAt>> played = PlayedPlaces(file, {});
    const Holdings holdings(file);
    for (std::size_t b = 0; b < file.banks.size(); ++b) {
        const Bank& bank = file.banks[b];
        if (RecordKindOf(bank.kind) == nullptr || !bank.loaded)
            continue;
        BankRoom room{b};
        for (std::size_t n = 0; n < bank.records.size(); ++n) {
            if (played.count({b, n}) != 0)
                ++room.played;
            else if (bank.records[n].zeroed)
                ++room.empty;
            else if (holdings.Free(file, {b, n}))
                ++room.shared;
            else
                ++room.last;
        }
        rooms.push_back(room);
    }
    return rooms;
}

}   // namespace scry
