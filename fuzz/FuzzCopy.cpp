// libFuzzer target: scry copy and scry follow between files, in memory. Four files of full banks
// are made once: a gig, and the gig reorganised three ways (records swapped and a bank moved, a
// bank loaded over a used one, sounds in two places and set lists edited). Each input says which
// two files are SRC and DEST, what to copy from one into the other, and whether to follow. A plan
// that is accepted must give a file that differs from DEST only where it meant to, reads whole,
// and reads back as the plan says; the same for the slots follow retargets. Anything else, a
// crash or a sanitizer finding ends the run.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/Copy.h"
#include "model/Follow.h"
#include "ops/Operations.h"
#include "text/CarryText.h"
#include "write/Carry.h"
#include "write/Written.h"
#include "PcgWriter.h"

namespace {

struct File {
    std::string bytes;
    scry::FileModel model;
};

void CopyRecord(std::string& bank, std::size_t size, std::size_t from, std::size_t to)
{
    bank.replace(to * size, size, bank.substr(from * size, size));
}

const std::array<File, 4>& Files()
{
    static const std::array<File, 4> files = [] {
        std::string setLists = pcgw::Records(SetListSize);
        std::string programs = pcgw::Records(ProgramSize), exi = pcgw::Records(ProgramSize),
                    user = pcgw::Records(ProgramSize);
        std::string combis = pcgw::Records(CombiSize), userCombis = pcgw::Records(CombiSize);
        pcgw::FillRecords(programs, ProgramSize, 1);
        pcgw::FillRecords(exi, ProgramSize, 2);
        pcgw::FillRecords(user, ProgramSize, 3);
        pcgw::FillRecords(combis, CombiSize, 4);
        pcgw::FillRecords(userCombis, CombiSize, 5);
        for (std::uint8_t list = 0; list < 4; ++list) {
            pcgw::SetRecordName(setLists, SetListSize, list, "List " + std::to_string(list));
            for (std::uint8_t j = 0; j < 12; ++j) {
                // Programs of I-A, I-B (EXi), I-C (not in the file), GM and U-A; combinations of
                // I-A and U-A; songs.
                static constexpr std::uint8_t types[] = {1, 1, 1, 1, 1, 0, 0, 2};
                static constexpr std::uint8_t banks[] = {0,  1, 2, 6,
                                                         17, 0, 7, 0};   // 17: U-A of programs, 7: of combinations
                const std::uint8_t kind = (list * 5 + j) % 8;
                pcgw::SetSlot(
                    setLists, list, j, "Slot " + std::to_string(j),
                    pcgw::PackSlot(types[kind], j % 16, 0, banks[kind], 0, (list * 31 + j * 7) % 128, 0, 100, 0));
            }
        }
        const auto bytes = [&](const std::string& a, const std::string& b, const std::string& c) {
            return pcgw::PcgFile(pcgw::Chunk("SLS1", pcgw::BankChunk("SBK1", 0, SetListSize, setLists)) +
                                 pcgw::Chunk("PRG1", pcgw::BankChunk("PBK1", 0, ProgramSize, a) +
                                                         pcgw::BankChunk("MBK1", 1, ProgramSize, exi) +
                                                         pcgw::BankChunk("PBK1", 0x20000, ProgramSize, b)) +
                                 pcgw::Chunk("CMB1", pcgw::BankChunk("CBK1", 0, CombiSize, combis) +
                                                         pcgw::BankChunk("CBK1", 0x20000, CombiSize, c)));
        };
        std::array<File, 4> made;
        made[0].bytes = bytes(programs, user, userCombis);
        std::string swapped = programs;
        CopyRecord(swapped, ProgramSize, 5, 127);
        CopyRecord(swapped, ProgramSize, 6, 5);
        CopyRecord(swapped, ProgramSize, 127, 6);
        made[1].bytes = bytes(swapped, programs, userCombis);   // I-A swapped, and a copy of it in U-A
        std::string loaded = pcgw::Records(ProgramSize);
        pcgw::FillRecords(loaded, ProgramSize, 9);
        made[2].bytes = bytes(loaded, user, combis);   // I-A loaded over
        std::string twice = user;
        for (std::size_t i = 0; i < 128; i += 3)
            CopyRecord(twice, ProgramSize, i, (i * 5 + 1) % 128);
        std::string edited = setLists;
        for (std::uint8_t j = 0; j < 6; ++j)
            pcgw::SetSlot(edited, 1, j, "Edited", pcgw::PackSlot(1, 0, 0, 0, 0, j * 20, 0, 90, 0));
        setLists.swap(edited);
        made[3].bytes = bytes(twice, twice, userCombis);
        setLists.swap(edited);
        for (std::size_t f = 0; f < made.size(); ++f)
            made[f].model = scry::ReadModelOfBytes("f" + std::to_string(f) + ".PCG", made[f].bytes);
        return made;
    }();
    return files;
}

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "%s\n", why.c_str());
    std::abort();
}

// What an input asks: byte 0 says which files and what more, then five bytes per range.
scry::CopyAsk AskOf(const std::uint8_t* p, std::size_t size)
{
    static constexpr std::uint32_t bankIds[] = {0, 1, 2, 0x20000, 0x20001, 0x8000, 0x20007};
    static constexpr const char* toBanks[] = {"U-A", "I-A", "I-B", "U-G", "U-AA", "Invalid: 5 (05)"};
    scry::CopyAsk ask;
    ask.force = (p[0] & 0x10) != 0;
    if ((p[0] & 0x20) != 0)
        ask.to = toBanks[p[1] % std::size(toBanks)];
    for (std::size_t at = 2; at + 5 <= size && ask.records.size() + ask.setLists.size() < 4; at += 5) {
        const std::uint8_t* r = p + at;
        if ((r[0] & 3) == 3) {
            ask.setLists.push_back({r[1] % 130u, r[2] % 130u, "--setlist"});
            continue;
        }
        const ChunkKind kind = (r[0] & 1) != 0 ? Kind::CMB1 : Kind::PRG1;
        ask.records.push_back({kind, bankIds[(r[0] >> 2) % std::size(bankIds)], r[1] % 130u,
                               bankIds[(r[0] >> 5) % std::size(bankIds)], r[2] % 130u, 1u + r[3] % 130u,
                               "--range " + std::to_string(at)});
    }
    return ask;
}

// The model an operation read of its new file through the pieces over its source is the model of
// the same bytes read whole: every chunk, bank, record, set list and slot, and every problem.
void SameModel(const char* what, const scry::FileModel& pieced, const scry::FileModel& whole)
{
    bool same = pieced.size == whole.size && pieced.chunks.size() == whole.chunks.size() &&
                pieced.banks.size() == whole.banks.size() && pieced.problems.size() == whole.problems.size();
    for (std::size_t c = 0; same && c < pieced.chunks.size(); ++c)
        same = pieced.chunks[c].fingerprint == whole.chunks[c].fingerprint &&
               pieced.chunks[c].frame == whole.chunks[c].frame;
    for (std::size_t b = 0; same && b < pieced.banks.size(); ++b) {
        const scry::Bank& p = pieced.banks[b];
        const scry::Bank& w = whole.banks[b];
        same = p.records.size() == w.records.size() && p.setLists.size() == w.setLists.size();
        for (std::size_t r = 0; same && r < p.records.size(); ++r)
            same = p.records[r].fingerprint == w.records[r].fingerprint && p.records[r].name == w.records[r].name;
        for (std::size_t l = 0; same && l < p.setLists.size(); ++l)
            for (std::size_t j = 0; same && j < p.setLists[l].slots.size(); ++j)
                same = p.setLists[l].slots[j].fingerprint == w.setLists[l].slots[j].fingerprint &&
                       p.setLists[l].slots[j].resolution == w.setLists[l].slots[j].resolution;
    }
    if (!same)
        Fail(std::string(what) + ": the model read through the pieces is not that of the bytes read whole");
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static std::string made;   // each new file made whole here, its memory kept from input to input
    const File& src = Files()[data[0] & 3];
    const File& dest = Files()[(data[0] >> 2) & 3];
    const scry::CopyAsk ask = AskOf(data, size);
    const scry::CopyPlan plan = scry::PlanCopy(src.model, dest.model, ask);
    std::string said;
    for (const scry::CopyRefusal& refusal : plan.refusals)
        for (const std::string& line : scry::RefusalLines(src.model, dest.model, refusal))
            said += line;
    if (plan.refusals.empty()) {
        for (const std::string& line : scry::CopyLines(src.model, dest.model, plan))
            said += line + scry::CopySummary(plan);
        const scry::Carried copied = scry::Copied(src.bytes, src.model, dest.bytes, dest.model, plan);
        copied.made.WholeInto(made);
        for (const scry::ReadBackFault& outside : {scry::ChangedOutside(made, dest.bytes, copied.changed),
                                                   scry::ChangedOutside(copied.made, copied.changed)})
            if (outside)
                Fail("copy: " + scry::ReadBackText(outside));
        const scry::FileModel read = scry::ReadModelOfBytes("out.PCG", made);
        if (const scry::ReadBackFault wrong = scry::WrongInCopied(read, src.model, plan))
            Fail("copy: " + scry::ReadBackText(wrong));
        // The operation on bytes makes the same file, verified in memory, and says so; an ask of
        // nothing it refuses as such, and makes nothing.
        const scry::ops::CopyOutcome outcome =
            scry::ops::Copy({"src", src.bytes}, src.model, {"dest", dest.bytes}, dest.model, ask, true);
        if (ask.Empty()) {
            if (outcome.refusal != scry::ops::CarryRefusal::NothingAsked || outcome.made)
                Fail("copy: an ask of nothing is not refused as such");
        } else {
            if (outcome.refusal != scry::ops::CarryRefusal::None || outcome.verdict || !outcome.made ||
                scry::ops::BytesOf(*outcome.made) != made)
                Fail("copy: the operation on bytes does not make the file its plan makes");
            SameModel("copy", outcome.made->model, read);
        }
    }
    if ((data[0] & 0x40) != 0) {
        // DEST as a reorganised SRC: its slots follow SRC's sounds.
        const std::vector<scry::FollowStep> steps = scry::PlanFollow(src.model, dest.model);
        for (const scry::FollowStep& step : steps)
            said += scry::FollowLine(src.model, dest.model, step);
        const scry::Carried followed = scry::Followed(dest.model, dest.bytes, steps);
        followed.made.WholeInto(made);
        for (const scry::ReadBackFault& outside : {scry::ChangedOutside(made, dest.bytes, followed.changed),
                                                   scry::ChangedOutside(followed.made, followed.changed)})
            if (outside)
                Fail("follow: " + scry::ReadBackText(outside));
        const scry::FileModel read = scry::ReadModelOfBytes("out.PCG", made);
        if (const scry::ReadBackFault wrong = scry::WrongInFollowed(read, src.model, steps))
            Fail("follow: " + scry::ReadBackText(wrong));
        const scry::ops::FollowOutcome outcome = scry::ops::Follow(src.model, {"dest", dest.bytes}, dest.model, true);
        if (outcome.verdict || !outcome.made || scry::ops::BytesOf(*outcome.made) != made)
            Fail("follow: the operation on bytes does not make the file its plan makes");
        SameModel("follow", outcome.made->model, read);
    }
    return 0;
}
