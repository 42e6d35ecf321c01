// Carrying records, set lists and targets.
#include "write/Carry.h"

#include <cstring>

#include "PCG_readK/DecodeSlot.h"
#include "model/SetLists.h"
#include "model/Vocabulary.h"
#include "text/Words.h"

namespace scry {

namespace {

// Where a slot of the first set-list bank begins in the file.
std::size_t SlotOffset(const FileModel& file, const SlotAt& at)
{
    return static_cast<std::size_t>(SetListOf(file, at.setList).Offset()) + SlotsOffset + at.slot * SlotSize;
}

std::size_t RecordOffset(const FileModel& file, const RecordAt& at)
{
    const Bank& bank = file.banks[at.bank];
    return static_cast<std::size_t>(bank.offset) + at.number * BankChunkOf(bank.id)->recordSize;
}

// The slot's packed bytes at `at` set to play target, every other bit kept.
void Retarget(NewFile& made, std::size_t at, const Target& target, std::vector<ByteRange>& changed)
{
    std::uint8_t* packed = made.Bytes(static_cast<std::int64_t>(at + PackedSlotOffset), PackedSlotSize);
    PackedSlot was{};
    std::memcpy(was.data(), packed, was.size());
    SlotAttributes wanted = DecodeSlot(was);
    wanted.SlotType = static_cast<std::uint8_t>(target.type);
    wanted.Bank = target.bank;
    wanted.Number = target.number;
    PackedSlot now{};
    EncodeSlot(was, wanted, now);   // what a slot plays shares no bits with another field
    std::memcpy(packed, now.data(), now.size());
    changed.push_back({static_cast<std::int64_t>(at + PackedSlotOffset),
                       static_cast<std::int64_t>(at + PackedSlotOffset + PackedSlotSize)});
}

const Slot* SlotOf(const FileModel& file, std::size_t setList, std::size_t slot)
{
    const SetListView at = SetListOf(file, setList);
    return at.list == nullptr ? nullptr : &at.list->slots[slot];
}

}   // namespace

Carried Followed(const FileModel& newFile, std::string_view newBytes, const std::vector<FollowStep>& steps)
{
    Carried carried{NewFile(newBytes), {}};
    for (const FollowStep& step : steps)
        if (!step.lost)
            Retarget(carried.made, SlotOffset(newFile, step.at), step.to, carried.changed);
    return carried;
}

Carried Copied(std::string_view srcBytes, const FileModel& src, std::string_view destBytes, const FileModel& dest,
               const CopyPlan& plan)
{
    Carried carried{NewFile(destBytes), {}};
    for (const RecordWrite& write : plan.records) {
        const std::size_t size = BankChunkOf(src.banks[write.from.bank].id)->recordSize;
        const std::size_t to = RecordOffset(dest, write.to);
        std::memcpy(carried.made.Bytes(static_cast<std::int64_t>(to), size),
                    srcBytes.data() + RecordOffset(src, write.from), size);
        carried.changed.push_back({static_cast<std::int64_t>(to), static_cast<std::int64_t>(to + size)});
    }
    for (const SetListWrite& write : plan.setLists) {
        const auto to = static_cast<std::size_t>(SetListOf(dest, write.dest).Offset());
        const auto from = static_cast<std::size_t>(SetListOf(src, write.src).Offset());
        std::memcpy(carried.made.Bytes(static_cast<std::int64_t>(to), SetListSize), srcBytes.data() + from,
                    SetListSize);
        carried.changed.push_back({static_cast<std::int64_t>(to), static_cast<std::int64_t>(to + SetListSize)});
        for (const SlotWrite& slot : write.slots)
            if (slot.playsRecord && !(slot.to == slot.from))
                Retarget(carried.made, to + SlotsOffset + slot.slot * SlotSize, slot.to, carried.changed);
    }
    return carried;
}

ReadBackFault WrongInFollowed(const FileModel& written, const FileModel& oldFile, const std::vector<FollowStep>& steps)
{
    if (written.Damaged())
        return DamageFault(written);
    for (const FollowStep& step : steps) {
        if (step.lost)
            continue;
        const Slot* slot = SlotOf(written, step.at.setList, step.at.slot);
        const Plays plays = slot != nullptr ? SlotPlays(written, *slot) : WhatSlotPlays(written, Target{});
        if (plays.record == nullptr || plays.record->sound != RecordOf(oldFile, step.played).sound)
            return SlotFault(ReadBackFault::Kind::SlotLostSound, step.at);
    }
    return {};
}

ReadBackFault WrongInCopied(const FileModel& written, const FileModel& src, const CopyPlan& plan)
{
    if (written.Damaged())
        return DamageFault(written);
    for (const RecordWrite& write : plan.records)
        if (RecordOf(written, write.to).fingerprint != RecordOf(src, write.from).fingerprint) {
            const Bank& bank = written.banks[write.to.bank];
            ReadBackFault fault{ReadBackFault::Kind::RecordNotCopied};
            fault.place = {bank.kind, bank.bankId, static_cast<std::uint32_t>(write.to.number)};
            fault.bankName = bank.name;
            fault.occurrence = bank.occurrence;
            fault.occurrences = bank.occurrences;
            return fault;
        }
    for (const SetListWrite& write : plan.setLists) {
        const SetList* list = SetListOf(written, write.dest).list;
        const SetList* from = SetListOf(src, write.src).list;
        if (list == nullptr || list->name != from->name || list->eq != from->eq)
            return SlotFault(ReadBackFault::Kind::SetListNotCopied, {0, write.dest, 0});
        for (const SlotWrite& slot : write.slots) {
            const Plays now = SlotPlays(written, list->slots[slot.slot]);
            const Plays then = WhatSlotPlays(src, slot.from);
            if (slot.playsRecord && (now.record == nullptr || now.record->sound != then.record->sound))
                return SlotFault(ReadBackFault::Kind::SlotOtherSound, {0, write.dest, slot.slot});
        }
    }
    return {};
}

}   // namespace scry
