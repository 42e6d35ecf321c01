// Where a file holds each sound: its records by their name-blind fingerprint, kept apart by kind
// and by bank chunk (HD-1 programs, EXi programs, combinations), and the choice among several.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/Places.h"

namespace scry {

class SoundIndex {
public:
    explicit SoundIndex(const FileModel& file);
    // The records of this bank chunk id (PBK1, MBK1, CBK1) whose bytes after the name are sound's,
    // in file order.
    const std::vector<RecordAt>& PlacesOf(ChunkId bankChunk, std::uint32_t sound) const;
    // The record a sound is taken from where it stands in several places: the one of this name,
    // then the one at this place (bankId and number), then the first in file order.
    RecordAt Choose(const std::vector<RecordAt>& places, const std::string& name, std::uint32_t bankId,
                    std::size_t number) const;

private:
    const FileModel& file;
    std::map<std::pair<ChunkId, std::uint32_t>, std::vector<RecordAt>> places;
};

// Those of places a slot can name: not behind a later bank of the same place.
std::vector<RecordAt> PlacesSlotsCanPlay(const FileModel& file, const std::vector<RecordAt>& places);

// The record at a place of a file.
const Record& RecordOf(const FileModel& file, const RecordAt& at);

}   // namespace scry
