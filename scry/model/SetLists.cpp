// The set-list banks of a file, and set list N.
#include "model/SetLists.h"

#include <algorithm>

namespace scry {

std::vector<std::size_t> SetListBanks(const FileModel& file)
{
    std::vector<std::size_t> banks;
    for (std::size_t b = 0; b < file.banks.size(); ++b)
        if (file.banks[b].kind == Kind::SLS1)
            banks.push_back(b);
    return banks;
}

SetListView SetListOf(const FileModel& file, std::size_t number)
{
    SetListView at;
    at.number = number;
    const std::vector<std::size_t> banks = SetListBanks(file);
    at.banks = banks.size();
    if (banks.empty())
        return at;
    at.bank = &file.banks[banks.front()];
    if (number < at.bank->setLists.size())
        at.list = &at.bank->setLists[number];
    return at;
}

std::size_t UsedSlotCount(const SetList& list)
{
    return static_cast<std::size_t>(
        std::count_if(list.slots.begin(), list.slots.end(), [](const Slot& slot) { return slot.used; }));
}

}   // namespace scry
