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
    const ops::ApplyOutcome applied = ops::Apply(bytes, file, texts, options.ignoreFingerprint);
    if (applied.faults.size() == 1 && applied.faults.front().fault.wholeText) {
        // A text that is no set list's text at all: one line says it.
        SayError(console, ops::FaultWords(applied, applied.faults.front()) + "; nothing written");
        return TroubleStatus;
    }
    if (!applied.faults.empty()) {
        // The first ten and how many more: a line at a time is mended, not a screenful.
        constexpr std::size_t MostSaid = 10;
        for (std::size_t k = 0; k < applied.faults.size() && k < MostSaid; ++k)
            SayError(console, ops::FaultWords(applied, applied.faults[k]));
        if (applied.faults.size() > MostSaid)
            SayError(console, "and " + std::to_string(applied.faults.size() - MostSaid) + " more faults like these");
        SayError(console, "nothing written");
        return TroubleStatus;
    }
    for (const AppliedFault& warning : applied.warnings)
        SayError(console, "warning: " + ops::FaultWords(applied, warning));
    session.WritePcgCopy(applied.made, applied.verdict, 0);

    std::string said;
    for (std::size_t k = 0; k < applied.lists.size(); ++k) {
        const SetListText& list = applied.lists[k];
        const std::size_t changed = applied.changes[k].slots.size();
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
