// Where each slot's sound went.
#include "model/Follow.h"

#include "model/SetLists.h"

namespace scry {

std::vector<FollowStep> PlanFollow(const FileModel& oldFile, const FileModel& newFile)
{
    std::vector<FollowStep> steps;
    const SetListView before = SetListOf(oldFile, 0);
    const SetListView after = SetListOf(newFile, 0);
    if (before.bank == nullptr || after.bank == nullptr)
        return steps;
    const SoundIndex sounds(newFile);
    const std::size_t lists = std::min(before.bank->setLists.size(), after.bank->setLists.size());
    for (std::size_t i = 0; i < lists; ++i) {
        const SetList& was = before.bank->setLists[i];
        const SetList& now = after.bank->setLists[i];
        for (std::size_t j = 0; j < SlotsPerSetList; ++j) {
            const Slot& oldSlot = was.slots[j];
            const Slot& newSlot = now.slots[j];
            if (!newSlot.used || !newSlot.readable || !oldSlot.used || !oldSlot.readable)
                continue;
            const Plays then = SlotPlays(oldFile, oldSlot);
            if (then.resolution != Resolution::Found)
                continue;
            const Record& sound = *then.record;
            const Plays playing = SlotPlays(newFile, newSlot);
            if (playing.record != nullptr && playing.record->sound == sound.sound)
                continue;   // its target still plays that sound
            const Bank& oldBank = oldFile.banks[then.bank];
            FollowStep step{true, {0, i, j}, playing.target, {}, {then.bank, then.target.number}, {}, 0, false, {}};
            const std::vector<RecordAt>& held = sounds.PlacesOf(oldBank.id, sound.sound);
            const std::vector<RecordAt> places = PlacesSlotsCanPlay(newFile, held);
            step.among = places.size();
            if (!places.empty()) {
                step.now = sounds.Choose(places, sound.name, oldBank.bankId, then.target.number);
                step.lost = !TargetOfRecord(newFile, step.now.bank, step.now.number, step.to);
            } else if (!held.empty()) {
                step.hidden = true;
                step.hiddenAt = held.front();
            }
            steps.push_back(step);
        }
    }
    return steps;
}

}   // namespace scry
