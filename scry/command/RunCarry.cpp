// scry follow and scry copy.
#include "command/Commands.h"

#include <algorithm>
#include <functional>

#include "ops/Operations.h"
#include "text/CarryText.h"
#include "text/Text.h"

namespace scry {

namespace {

constexpr const char* CombinationsNote =
    "note: combinations name the programs their timbres play by place, and scry does not update them: ";

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
    Session::RequireWhole(newFile, "follow");
    session.NoteSetListBanks(newFile);
    const ops::FollowOutcome outcome =
        ops::Follow(oldFile, options.dryRun ? ops::FileBytes{} : session.FileBytesOf(1, newFile), newFile,
                    !options.dryRun);
    const std::vector<FollowStep>& steps = outcome.steps;
    std::vector<std::string> lines;
    bool programs = false;
    for (const FollowStep& step : steps) {
        lines.push_back(FollowLine(oldFile, newFile, step));
        programs = programs || (!step.lost && step.to.type == SlotType::Prog);
    }
    lines.push_back(FollowSummary(steps));
    const bool lost = std::any_of(steps.begin(), steps.end(), [](const FollowStep& step) { return step.lost; });
    const bool combinations = std::any_of(newFile.banks.begin(), newFile.banks.end(),
                                          [](const Bank& bank) { return bank.kind == Kind::CMB1; });
    if (programs && combinations)
        SayError(console, std::string(CombinationsNote) +
                              "follow retargets set-list slots, and a combination may now play other programs");
    if (!options.dryRun)
        session.WritePcgCopy(outcome.made, outcome.verdict, 1);
    WriteOut(console, Lines(lines));
    return session.StatusWith(lost ? Differ : Success);
}

int RunCopy(const CopyOptions& options, Console& console)
{
    CopyAsk ask;
    std::vector<std::string> wrong;
    const auto ranges = [&](ChunkKind kind, const std::vector<std::string>& texts, const char* option) {
        for (const std::string& text : texts) {
            RecordRange range{};
            std::string why;
            if (RecordRangeOf(kind, text, range, why)) {
                range.asked = std::string(option) + " " + text;
                ask.records.push_back(range);
            } else {
                wrong.push_back(std::string(option) + " " + LineText(text) + ": " + why);
            }
        }
    };
    ranges(Kind::PRG1, options.programs, "--prog");
    ranges(Kind::CMB1, options.combis, "--combi");
    for (const std::string& text : options.setLists) {
        SetListCopy copy{};
        std::string why;
        if (SetListCopyOf(text, copy, why)) {
            copy.asked = "--setlist " + text;
            ask.setLists.push_back(copy);
        } else {
            wrong.push_back("--setlist " + LineText(text) + ": " + why);
        }
    }
    if (!options.to.empty())
        ask.to = options.to;
    ask.force = options.force;
    if (ask.records.empty() && ask.setLists.empty() && wrong.empty())
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
    Session::RequireWhole(dest, "copy");
    session.NoteSetListBanks(dest);
    const ops::CopyOutcome outcome =
        options.dryRun ? ops::Copy({}, src, {}, dest, ask, false)
                       : ops::Copy(session.FileBytesOf(0, src), src, session.FileBytesOf(1, dest), dest, ask, true);
    const CopyPlan& plan = outcome.plan;
    if (!plan.refusals.empty()) {
        for (const CopyRefusal& refusal : plan.refusals)
            for (const std::string& line : RefusalLines(src, dest, refusal))
                SayError(console, line);
        SayError(console, "nothing written");
        return TroubleStatus;
    }
    for (const CopyRefusal& warning : plan.warnings)
        SayError(console, WarningLine(dest, warning));
    if (plan.combinationsCopied || plan.programsWrittenOver)
        SayError(console, std::string(CombinationsNote) +
                              "a combination copied, or one of DEST that plays a program written over, may now play "
                              "other programs");
    if (!options.dryRun)
        session.WritePcgCopy(outcome.made, outcome.verdict, 1);
    std::vector<std::string> lines = CopyLines(src, dest, plan);
    lines.push_back(CopySummary(plan));
    WriteOut(console, Lines(lines));
    return session.StatusWith(Success);
}

}   // namespace scry
