// Writing a slot's fields into its packed bytes, by the layout table.
#include "Korg_Kronos_Defs/SlotLayout.h"

#include <bit>

namespace {

bool Reads(const PackedSlot& packed, const SlotAttributes& wanted, SlotField field)
{
    return DecodeSlotField(packed, field) == wanted.*LayoutOf(field).member;
}

// The fields that share bits with field, directly or through another: they are written together.
std::array<bool, SlotFieldCount> GroupOf(SlotField field)
{
    std::array<bool, SlotFieldCount> in{};
    in[static_cast<std::size_t>(field)] = true;
    for (bool grew = true; grew;) {
        grew = false;
        for (const SlotFieldLayout& a : SlotLayout)
            for (const SlotFieldLayout& b : SlotLayout)
                if (in[static_cast<std::size_t>(a.field)] && !in[static_cast<std::size_t>(b.field)] &&
                    SlotFieldsShareBits(a.field, b.field)) {
                    in[static_cast<std::size_t>(b.field)] = true;
                    grew = true;
                }
    }
    return in;
}

// Sets the bits of one group of fields in result so that they read as wanted, with the fewest
// bits changed from original (the lowest setting of equals); false where no setting does.
bool EncodeGroup(const std::array<bool, SlotFieldCount>& group, const PackedSlot& original,
                 const SlotAttributes& wanted, PackedSlot& result)
{
    bool reads = true;
    PackedSlot masks{};
    for (const SlotFieldLayout& member : SlotLayout) {
        if (!group[static_cast<std::size_t>(member.field)])
            continue;
        reads = reads && Reads(result, wanted, member.field);
        for (std::size_t byte = 0; byte < masks.size(); ++byte)
            masks[byte] = static_cast<std::uint8_t>(masks[byte] | SlotFieldMask(member.field, byte));
    }
    if (reads)
        return true;
    // Every setting of the group's bits, at most a few hundred.
    std::size_t positions[64][2];
    std::size_t count = 0;
    for (std::size_t byte = 0; byte < masks.size(); ++byte)
        for (std::size_t bit = 0; bit < 8; ++bit)
            if ((masks[byte] >> bit) & 1u) {
                positions[count][0] = byte;
                positions[count][1] = bit;
                ++count;
            }
    bool found = false;
    int fewest = 0;
    PackedSlot best{};
    for (std::uint64_t setting = 0; setting < (std::uint64_t{1} << count); ++setting) {
        PackedSlot candidate = result;
        for (std::size_t p = 0; p < masks.size(); ++p)
            candidate[p] = static_cast<std::uint8_t>(candidate[p] & ~masks[p]);
        for (std::size_t k = 0; k < count; ++k)
            if ((setting >> k) & 1u)
                candidate[positions[k][0]] =
                    static_cast<std::uint8_t>(candidate[positions[k][0]] | 1u << positions[k][1]);
        bool all = true;
        for (const SlotFieldLayout& member : SlotLayout)
            all = all && (!group[static_cast<std::size_t>(member.field)] || Reads(candidate, wanted, member.field));
        if (!all)
            continue;
        int changed = 0;
        for (std::size_t p = 0; p < masks.size(); ++p)
            changed += std::popcount(static_cast<unsigned>((candidate[p] ^ original[p]) & masks[p]));
        if (!found || changed < fewest) {
            found = true;
            fewest = changed;
            best = candidate;
        }
    }
    if (found)
        result = best;
    return found;
}

}   // namespace

bool EncodeSlot(const PackedSlot& original, const SlotAttributes& wanted, PackedSlot& packed)
{
    PackedSlot result = original;
    std::array<bool, SlotFieldCount> done{};
    for (const SlotFieldLayout& layout : SlotLayout) {
        if (done[static_cast<std::size_t>(layout.field)])
            continue;
        const std::array<bool, SlotFieldCount> group = GroupOf(layout.field);
        for (std::size_t f = 0; f < SlotFieldCount; ++f)
            done[f] = done[f] || group[f];
        if (!EncodeGroup(group, original, wanted, result))
            return false;
    }
    packed = result;
    return true;
}

bool SlotValueWritable(const SlotAttributes& wanted, SlotField field, unsigned value)
{
    if (value > SlotFieldMax(field))
        return false;
    SlotAttributes asked = wanted;
    asked.*LayoutOf(field).member = static_cast<std::uint8_t>(value);
    // Only the fields that share bits with it can stand in its way.
    PackedSlot packed{};
    return EncodeGroup(GroupOf(field), PackedSlot{}, asked, packed);
}

SharedReading ReadThroughSharedBits(SlotField from, unsigned fromValue, SlotField into)
{
    SharedReading reading{0, 0};
    const SlotFieldLayout& a = LayoutOf(from);
    const SlotFieldLayout& b = LayoutOf(into);
    for (std::uint8_t r = 0; r < a.runs; ++r)
        for (std::uint8_t s = 0; s < b.runs; ++s) {
            if (a.bits[r].byte != b.bits[s].byte)
                continue;
            const unsigned overlap = a.bits[r].mask & b.bits[s].mask;
            reading.fromBits |= overlap >> a.bits[r].shift;
            reading.readAs |= ((fromValue << a.bits[r].shift) & overlap) >> b.bits[s].shift;
        }
    return reading;
}
