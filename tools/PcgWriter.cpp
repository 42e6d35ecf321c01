// In-memory PCG building blocks.
#include "PcgWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "Korg_Kronos_Defs/SlotLayout.h"

namespace pcgw {

namespace {

constexpr std::size_t PackedOffset = 24;
constexpr std::size_t SlotTailOffset = 30;

void FillRange(std::string& data, std::size_t from, std::size_t to, Random& random)
{
    for (std::size_t i = from; i < to; ++i)
        data[i] = static_cast<char>(random.NextByte());
}

}   // namespace

std::string Be32(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string FileHeader(std::uint8_t formatCode, std::uint8_t byte5)
{
    std::string header = "KORG";
    header += static_cast<char>(formatCode);
    header += static_cast<char>(byte5);
    header.append(10, '\0');
    return header;
}

std::string ChunkHead(std::string_view id, std::uint32_t size, std::uint32_t parm2)
{
    if (id.size() != 4)
        throw std::invalid_argument("a chunk id has four bytes: " + std::string(id));
    return std::string(id) + Be32(size) + Be32(parm2);
}

std::string Chunk(std::string_view id, std::string_view body, std::uint32_t parm2)
{
    return ChunkHead(id, static_cast<std::uint32_t>(body.size()), parm2) + std::string(body);
}

std::string BankHead(std::uint32_t numProgs, std::uint32_t objSize, std::uint32_t bankId)
{
    return Be32(numProgs) + Be32(objSize) + Be32(bankId);
}

std::string PcgFile(std::string_view chunks, std::uint8_t formatCode)
{
    return FileHeader(formatCode) + Chunk("PCG1", chunks);
}

std::string Records(std::size_t recordSize, std::size_t count) { return std::string(recordSize * count, '\0'); }

void SetName(std::string& data, std::size_t offset, std::string_view name)
{
    if (name.size() > NameSize)
        throw std::invalid_argument("a name has at most 24 bytes: " + std::string(name));
    if (offset + NameSize > data.size())
        throw std::out_of_range("name field beyond the data");
    data.replace(offset, NameSize, std::string(name) + std::string(NameSize - name.size(), '\0'));
}

void SetRecordName(std::string& data, std::size_t recordSize, std::size_t index, std::string_view name)
{
    SetName(data, recordSize * index, name);
}

void FillRecords(std::string& data, std::size_t recordSize, std::uint32_t seed)
{
    Random state(seed == 0 ? 0x9E3779B9u : seed);
    for (std::size_t record = 0; record + recordSize <= data.size(); record += recordSize) {
        if (recordSize != SetListSize) {
            FillRange(data, record + NameSize, record + recordSize, state);
            continue;
        }
        for (std::size_t slot = 0; slot < SlotsPerSetList; ++slot) {
            const std::size_t at = record + NameSize + SlotSize * slot;
            FillRange(data, at + SlotTailOffset, at + SlotSize, state);
        }
        FillRange(data, record + EqOffset, record + SetListSize, state);
    }
}

Packed PackSlot(std::uint8_t slotType, std::uint8_t color, std::uint8_t font, std::uint8_t bank, std::uint8_t transpose,
                std::uint8_t number, std::uint8_t holdTime, std::uint8_t volume, std::uint8_t kbdTrack)
{
    const SlotAttributes wanted{slotType, color, font, bank, transpose, number, holdTime, volume, kbdTrack};
    PackedSlot packed{};
    if (!EncodeSlot(PackedSlot{}, wanted, packed))
        throw std::invalid_argument("no packed slot bytes read as these attributes (a value beyond its field, or "
                                    "transpose " +
                                    std::to_string(transpose) + " without kbd track " + std::to_string(kbdTrack) +
                                    "'s bits 0-2)");
    return packed;
}

void ZeroUnnamedSlots(std::string& setLists)
{
    for (std::size_t list = 0; list + 1 <= setLists.size() / SetListSize; ++list)
        for (std::size_t slot = 0; slot < SlotsPerSetList; ++slot) {
            const std::size_t at = SlotOffset(list, slot);
            if (setLists[at] == '\0')
                std::fill(setLists.begin() + static_cast<std::ptrdiff_t>(at),
                          setLists.begin() + static_cast<std::ptrdiff_t>(at + SlotSize), '\0');
        }
}

std::size_t SlotOffset(std::size_t setList, std::size_t slot)
{
    return SetListSize * setList + NameSize + SlotSize * slot;
}

void SetSlot(std::string& setLists, std::size_t setList, std::size_t slot, std::string_view name, const Packed& packed)
{
    const std::size_t at = SlotOffset(setList, slot);
    SetName(setLists, at, name);
    for (std::size_t i = 0; i < packed.size(); ++i)
        setLists[at + PackedOffset + i] = static_cast<char>(packed[i]);
}

bool WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string BankChunk(std::string_view id, std::uint32_t bankId, std::size_t recordSize, std::string_view records)
{
    const auto count = static_cast<std::uint32_t>(records.size() / recordSize);
    return Chunk(id, BankHead(count, static_cast<std::uint32_t>(recordSize), bankId) + std::string(records));
}

}   // namespace pcgw
