// scry follow and scry copy.
#include "command/Commands.h"

#include "ops/Operations.h"
#include "text/CarryText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

}   // namespace

int RunFollow(const FollowOptions& options, Console& console)
{
    Session session(console, options.files, options.dryRun ? "" : options.output,
                    options.dryRun ? OutputKind::Text : OutputKind::PcgFile, options.force);
    const std::vector<FileModel> files = session.ReadTogether(2);
    const FileModel& oldFile = files[0];
    const FileModel& newFile = files[1];
    const ops::FollowOutcome outcome = ops::Follow(
        oldFile, options.dryRun ? ops::FileBytes{} : session.FileBytesOf(1, newFile), newFile, !options.dryRun);
    if (outcome.refusal == ops::CarryRefusal::DestinationDamaged)
        throw Trouble(NotWholeText(newFile.name, "follow"));
    session.NoteSetListBanks(newFile);
    bool lost = false;
    const CarrySaid said = FollowSaid(oldFile, newFile, outcome.steps, lost);
    for (const std::string& line : said.errors)
        SayError(console, line);
    if (!options.dryRun)
        session.WritePcgCopy(outcome.made, outcome.verdict, 1);
    WriteOut(console, Lines(said.lines));
    return session.StatusWith(lost ? Differ : Success);
}

int RunCopy(const CopyOptions& options, Console& console)
{
    std::vector<std::string> wrong;
    CopyOptionTexts texts{options.programs, options.combis, options.setLists, std::nullopt, options.force};
    if (!options.to.empty())
        texts.to = options.to;
    const CopyAsk ask = CopyAskOf(texts, wrong);
    if (ask.Empty() && wrong.empty())
        throw Trouble("copy what? --prog, --combi or --setlist names what SRC gives");
    Session session(console, options.files, options.dryRun ? "" : options.output,
                    options.dryRun ? OutputKind::Text : OutputKind::PcgFile, options.force);
    for (const std::string& line : wrong)
        SayError(console, line);
    if (!wrong.empty())
        return TroubleStatus;
    const std::vector<FileModel> files = session.ReadTogether(2);
    const FileModel& src = files[0];
    const FileModel& dest = files[1];
    const ops::CopyOutcome outcome =
        options.dryRun ? ops::Copy({}, src, {}, dest, ask, false)
                       : ops::Copy(session.FileBytesOf(0, src), src, session.FileBytesOf(1, dest), dest, ask, true);
    if (outcome.refusal == ops::CarryRefusal::DestinationDamaged)
        throw Trouble(NotWholeText(dest.name, "copy"));
    session.NoteSetListBanks(dest);
    const CarrySaid said = CopySaid(src, dest, outcome.plan);
    for (const std::string& line : said.errors)
        SayError(console, line);
    if (outcome.refusal == ops::CarryRefusal::PlanRefused) {
        SayError(console, "nothing written");
        return TroubleStatus;
    }
    if (!options.dryRun)
        session.WritePcgCopy(outcome.made, outcome.verdict, 1);
    WriteOut(console, Lines(said.lines));
    return session.StatusWith(Success);
}

}   // namespace scry
