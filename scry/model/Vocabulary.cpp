// The tables' lookups.
#include "model/Vocabulary.h"

namespace scry {

const RecordKind* RecordKindOf(ChunkKind kind)
{
    for (const RecordKind& row : RecordKinds)
        if (row.kind == kind)
            return &row;
    return nullptr;
}

const RecordKind* RecordKindPlayedBy(SlotType type)
{
    for (const RecordKind& row : RecordKinds)
        if (row.playedAs == type)
            return &row;
    return nullptr;
}

const char* SlotTypeText(SlotType type)
{
    constexpr const char* Texts[4] = {"Combi", "Prog", "Song", "Type3"};
    return Texts[static_cast<std::size_t>(type) & 3u];
}

const SlotSetting* SlotSettingOf(SlotField field)
{
    for (const SlotSetting& setting : SlotSettings)
        if (setting.field == field)
            return &setting;
    return nullptr;
}

}   // namespace scry
