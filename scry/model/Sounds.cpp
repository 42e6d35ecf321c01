// The sounds of a file.
#include "model/Sounds.h"

#include "model/Plays.h"

namespace scry {

SoundIndex::SoundIndex(const FileModel& model) : file(model)
{
    for (std::size_t b = 0; b < file.banks.size(); ++b) {
        const Bank& bank = file.banks[b];
        for (std::size_t i = 0; i < bank.records.size(); ++i)
            places[{bank.id, bank.records[i].sound}].push_back({b, i});
    }
}

const std::vector<RecordAt>& SoundIndex::PlacesOf(ChunkId bankChunk, std::uint32_t sound) const
{
    static const std::vector<RecordAt> none;
    const auto found = places.find({bankChunk, sound});
    return found == places.end() ? none : found->second;
}

RecordAt SoundIndex::Choose(const std::vector<RecordAt>& candidates, const std::string& name, std::uint32_t bankId,
                            std::size_t number) const
{
    for (const RecordAt& at : candidates)
        if (RecordOf(file, at).name == name)
            return at;
    for (const RecordAt& at : candidates)
        if (file.banks[at.bank].bankId == bankId && at.number == number)
            return at;
    return candidates.front();
}

const Record& RecordOf(const FileModel& file, const RecordAt& at)
{
    return file.banks.at(at.bank).records.at(at.number);
}

std::vector<RecordAt> PlacesSlotsCanPlay(const FileModel& file, const std::vector<RecordAt>& places)
{
    std::vector<RecordAt> playable;
    for (const RecordAt& at : places) {
        Target target{};
        if (TargetOfRecord(file, at.bank, at.number, target))
            playable.push_back(at);
    }
    return playable;
}

}   // namespace scry
