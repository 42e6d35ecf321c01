// scry setlist and scry apply.
#include "command/Commands.h"

#include <cstring>

#include "text/SetListText.h"
#include "text/Text.h"
#include "write/SetListEdit.h"
#include "write/Written.h"

namespace scry {

int RunSetList(const SetListOptions& options, Console& console)
{
    Session session(console, {options.file}, options.output, OutputKind::SetListText, options.force);
    const FileModel file = session.Read(0);
    const SetListView at = session.SetListOf(file, static_cast<std::size_t>(options.setList));
    const std::string bytes = session.BytesOf(0, at.Offset(), SetListSize);
    session.Deliver(SetListTextOf(file, at, SetListFingerprint(bytes)));
    return session.StatusWith(Success);
}

int RunApply(const ApplyOptions& options, Console& console)
{
    Session session(console, {options.file}, options.output, OutputKind::PcgFile, options.force, options.texts);
    std::vector<NamedText> texts;
    for (std::size_t k = 0; k < options.texts.size(); ++k)
        texts.push_back({options.texts[k], session.Text(k)});
    const FileModel file = session.ReadWhole(0, "apply");
    session.NoteSetListBanks(file);
    const ops::FileBytes bytes = session.FileBytesOf(0, file);
    const std::string_view source = bytes.bytes;
    const ops::ApplyOutcome applied = ops::Apply(bytes, file, texts, options.ignoreFingerprint);
    if (applied.faults.size() == 1 && applied.faultsAt.front().fault.wholeText) {
        // A text that is no set list's text at all: one line says it.
        SayError(console, applied.faults.front() + "; nothing written");
        return TroubleStatus;
    }
    if (!applied.faults.empty()) {
        // The first ten and how many more: a line at a time is mended, not a screenful.
        constexpr std::size_t MostSaid = 10;
        for (std::size_t k = 0; k < applied.faults.size() && k < MostSaid; ++k)
            SayError(console, applied.faults[k]);
        if (applied.faults.size() > MostSaid)
            SayError(console, "and " + std::to_string(applied.faults.size() - MostSaid) + " more faults like these");
        SayError(console, "nothing written");
        return TroubleStatus;
    }
    for (const std::string& warning : applied.warnings)
        SayError(console, "warning: " + warning);
    session.WritePcgCopy(applied.made, applied.verdict, 0);

    std::string said;
    for (std::size_t k = 0; k < applied.lists.size(); ++k) {
        const SetListText& list = applied.lists[k];
        const ByteRange& range = applied.made->changed[k];
        const auto at = static_cast<std::size_t>(range.from) + SlotsOffset;
        const std::string made = applied.made->file.Read(static_cast<std::int64_t>(at), SlotsPerSetList * SlotSize);
        std::size_t changed = 0;
        for (std::size_t p = 0; p < SlotsPerSetList; ++p)
            changed += std::memcmp(source.data() + at + p * SlotSize, made.data() + p * SlotSize, SlotSize) != 0;
        said += "SETLIST " + Pad3(static_cast<unsigned>(list.number)) + " " + Quoted(list.name) + ": " +
                std::to_string(list.slots.size()) + " lines, " +
                (changed == 0 ? std::string("no slot changed")
                              : std::to_string(changed) + (changed == 1 ? " slot" : " slots") + " changed") +
                "\n";
    }
    WriteOut(console, said);
    return session.StatusWith(Success);
}

}   // namespace scry
