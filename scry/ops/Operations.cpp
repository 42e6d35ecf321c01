// The operations on bytes.
#include "ops/Operations.h"

#include <functional>
#include <memory>
#include <utility>

namespace scry::ops {

namespace {

using Stream = std::unique_ptr<InputStream, decltype(&CloseInput)>;

// The source's own stream where the caller gave one, else one over its bytes (held in memory).
const InputStream& SourceStream(const FileBytes& source, Stream& memory)
{
    if (source.stream != nullptr)
        return *source.stream;
    memory.reset(OpenMemoryInput(source.bytes.data(), source.bytes.size(), source.name));
    return *memory;
}

// The new file checked as it would be once written: nothing outside changed differs from its
// source, its bytes read whole as a PCG file, and check (given their model) finds nothing wrong.
// The model is read through the pieces over the source's stream: nothing of the file is copied.
MadeVerdict Verify(const FileBytes& source, NewFile file, std::vector<ByteRange> changed,
                   const std::function<ReadBackFault(const FileModel&)>& check, std::optional<NewPcg>& made)
{
    if (ReadBackFault outside = ChangedOutside(file, changed))
        return {MadeFault::ChangedOutside, std::move(outside)};
    Stream memory(nullptr, &CloseInput);
    const Stream pieced(OpenPiecedInput(SourceStream(source, memory), file.Pieces(), source.name), &CloseInput);
    FileModel model;
    try {
        model = ReadModel(*pieced, source.name);
    } catch (const Unreadable& unreadable) {
        return {MadeFault::Unreadable, {}, unreadable.what()};
    }
    if (ReadBackFault wrong = check(model))
        return {MadeFault::ReadsOtherwise, std::move(wrong)};
    made.emplace(NewPcg{std::move(file), std::move(changed), std::move(model)});
    return {};
}

}   // namespace

Loaded Load(const FileBytes& file)
{
    Loaded loaded;
    loaded.name = file.name;
    try {
        loaded.model = ReadModelOfBytes(file.name, file.bytes);
    } catch (const Unreadable& unreadable) {
        loaded.refusal = unreadable.refusal;
        loaded.detail = unreadable.what();
    }
    return loaded;
}

CopyOutcome Copy(const FileBytes& src, const FileModel& srcModel, const FileBytes& dest, const FileModel& destModel,
                 const CopyAsk& ask, bool make)
{
    CopyOutcome outcome{};
    if (ask.Empty()) {
        outcome.refusal = CarryRefusal::NothingAsked;
        return outcome;
    }
    if (destModel.Damaged()) {
        outcome.refusal = CarryRefusal::DestinationDamaged;
        return outcome;
    }
    outcome.plan = PlanCopy(srcModel, destModel, ask);
    if (!outcome.plan.refusals.empty())
        outcome.refusal = CarryRefusal::PlanRefused;
    if (!make || outcome.refusal != CarryRefusal::None)
        return outcome;
    Carried carried = Copied(src.bytes, srcModel, dest.bytes, destModel, outcome.plan);
    outcome.verdict = Verify(
        dest, std::move(carried.made), std::move(carried.changed),
        [&](const FileModel& written) { return WrongInCopied(written, srcModel, outcome.plan); }, outcome.made);
    return outcome;
}

FollowOutcome Follow(const FileModel& oldModel, const FileBytes& newFile, const FileModel& newModel, bool make)
{
    FollowOutcome outcome{};
    if (newModel.Damaged()) {
        outcome.refusal = CarryRefusal::DestinationDamaged;
        return outcome;
    }
    outcome.steps = PlanFollow(oldModel, newModel);
    if (!make)
        return outcome;
    Carried carried = Followed(newModel, newFile.bytes, outcome.steps);
    outcome.verdict = Verify(
        newFile, std::move(carried.made), std::move(carried.changed),
        [&](const FileModel& written) { return WrongInFollowed(written, oldModel, outcome.steps); }, outcome.made);
    return outcome;
}

ApplyOutcome Apply(const FileBytes& file, const FileModel& model, std::vector<SetListEdit> edits,
                   bool ignoreFingerprint)
{
    Applied applied = ApplySetListEdits(model, file.bytes, std::move(edits), ignoreFingerprint);
    ApplyOutcome outcome{std::move(applied.sources),
                         {},
                         std::move(applied.faults),
                         std::move(applied.warnings),
                         std::move(applied.changes),
                         std::nullopt,
                         {}};
    outcome.lists = std::move(applied.lists);
    if (outcome.faults.empty())
        outcome.verdict = Verify(
            file, std::move(applied.made), std::move(applied.edited),
            [&](const FileModel& written) { return WrongInWritten(written, outcome.lists); }, outcome.made);
    return outcome;
}

ApplyOutcome Apply(const FileBytes& file, const FileModel& model, const std::vector<NamedText>& texts,
                   bool ignoreFingerprint)
{
    return Apply(file, model, ReadSetListTexts(texts), ignoreFingerprint);
}

std::string FaultWords(const ApplyOutcome& applied, const AppliedFault& fault)
{
    return FaultLine(applied.sources.at(fault.text), fault.fault);
}

std::string BytesOf(const NewPcg& made) { return made.file.Whole(); }

}   // namespace scry::ops
