// libFuzzer target on whole files: the input is a recipe, not a file. Its bytes say which banks a
// file holds (kind, place, record bytes, names, copies of records), which set-list slots are used
// with which packed bytes and names, and which sizes lie or where the file is cut; a writer in
// memory makes the full-size file of it, so that every input is a realistic file and the set-list
// bank is always whole. Each file then goes through show, csv, json, the page, diff against a
// mutation of itself (text, JSON, page), the set-list text and apply (an unedited text must give
// the file back byte for byte), follow and copy between the two (each file they make must differ
// only where meant and read back as planned), and a library search of both (find, dups, the
// catalogue's blob read back). A crash, a sanitizer finding or a broken promise ends the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "summary/Search.h"
#include "summary/Summary.h"
#include "summary/SummaryCodec.h"
#include "model/Compare.h"
#include "model/Copy.h"
#include "model/Follow.h"
#include "model/Match.h"
#include "model/Model.h"
#include "model/SetLists.h"
#include "page/ComparisonPage.h"
#include "page/FilePage.h"
#include "text/CarryText.h"
#include "text/Csv.h"
#include "text/DiffJson.h"
#include "text/DiffText.h"
#include "text/Json.h"
#include "text/SetListText.h"
#include "text/Show.h"
#include "write/Carry.h"
#include "write/SetListEdit.h"
#include "write/Written.h"
#include "PcgWriter.h"

namespace {

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "%s\n", why.c_str());
    std::abort();
}

// The recipe's bytes, read one at a time; zeros once they run out.
class Recipe {
public:
    Recipe(const std::uint8_t* bytes, std::size_t size) : data(bytes), left(size) {}
    std::uint8_t Byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *data++;
    }
    bool More() const { return left > 0; }
    std::string Name()
    {
        std::string name;
        for (std::uint8_t n = Byte() % 25; n > 0; --n)
            name += static_cast<char>(Byte() | 0x20);
        return name;
    }

private:
    const std::uint8_t* data;
    std::size_t left;
};

struct Bank {
    const char* id;
    std::uint32_t bankId;
    std::size_t recordSize;
    std::string records;
    std::uint32_t numProgs;
    std::uint32_t objSize;
};

// The file a recipe describes, into file. Large buffers are kept from input to input (a fresh
// 9 MB each time would cost more than the work).
void FileOf(Recipe& recipe, std::string& file)
{
    static std::string setLists = pcgw::Records(pcgw::SetListSize);   // 128 set lists: the bank is always whole
    static std::vector<std::size_t> touched;                          // set lists written in, to clear
    for (const std::size_t list : touched)
        std::fill_n(setLists.begin() + static_cast<std::ptrdiff_t>(list * pcgw::SetListSize), pcgw::SetListSize, '\0');
    touched.clear();
    static constexpr std::uint32_t ProgramIds[] = {0, 1, 2, 4, 0x8000, 0x20000, 0x20001, 0x20006, 0x20007, 0x2000D, 77};
    static constexpr std::uint32_t CombiIds[] = {0, 1, 6, 0x20000, 0x20006, 9};
    const std::uint8_t flags = recipe.Byte();
    std::uint32_t setListCount = 128;
    // Banks are made in buffers kept from input to input, as the set lists are.
    static std::vector<Bank> kept(12);
    std::size_t count = 0;
    std::string extra;
    while (recipe.More()) {
        const std::uint8_t op = recipe.Byte();
        switch (op % 8) {
        case 0:
        case 1: {   // a used slot
            const std::size_t list = recipe.Byte() % 8, slot = recipe.Byte() % 128;
            touched.push_back(list);
            pcgw::Packed packed{};
            for (std::uint8_t& b : packed)
                b = recipe.Byte();
            pcgw::SetSlot(setLists, list, slot, recipe.Name(), packed);
            break;
        }
        case 2: {   // a set list's name
            const std::size_t list = recipe.Byte() % 128;
            touched.push_back(list);
            pcgw::SetRecordName(setLists, pcgw::SetListSize, list, recipe.Name());
            break;
        }
        case 3: {   // a bank
            const std::uint8_t what = recipe.Byte();
            const bool combi = what % 3 == 2;
            Bank& bank = kept[count < kept.size() ? count++ : kept.size() - 1];
            bank.id = combi ? "CBK1" : what % 3 == 1 ? "MBK1" : "PBK1";
            bank.bankId = combi ? CombiIds[recipe.Byte() % std::size(CombiIds)]
                                : ProgramIds[recipe.Byte() % std::size(ProgramIds)];
            bank.recordSize = combi ? pcgw::CombiSize : pcgw::ProgramSize;
            bank.numProgs = 128;
            bank.objSize = static_cast<std::uint32_t>(bank.recordSize);
            bank.records.assign(pcgw::BankRecords * bank.recordSize, '\0');
            pcgw::FillRecords(bank.records, bank.recordSize, recipe.Byte());
            for (std::size_t i = 0; i < 128; i += 1 + recipe.Byte() % 64)
                pcgw::SetRecordName(bank.records, bank.recordSize, i, recipe.Name());
            break;
        }
        case 4:   // a record copied within or between banks: a sound in two places
            if (count > 0) {
                Bank& from = kept[recipe.Byte() % count];
                Bank& to = kept[recipe.Byte() % count];
                const std::size_t i = recipe.Byte() % 128, j = recipe.Byte() % 128;
                if (from.recordSize == to.recordSize)
                    std::copy_n(from.records.begin() + static_cast<std::ptrdiff_t>(i * from.recordSize),
                                from.recordSize, to.records.begin() + static_cast<std::ptrdiff_t>(j * to.recordSize));
            }
            break;
        case 5:   // a bank header that lies, keeping its product or not
            if (count > 0) {
                Bank& bank = kept[recipe.Byte() % count];
                const std::uint8_t how = recipe.Byte();
                if (how % 2 == 0) {
                    bank.numProgs = 64;
                    bank.objSize = static_cast<std::uint32_t>(bank.recordSize * 2);
                } else {
                    bank.numProgs = how;
                }
            } else {
                setListCount = recipe.Byte();
            }
            break;
        case 6: {   // another chunk, known or not
            static constexpr const char* Ids[] = {"GLB1", "DKT1", "WSQ1", "ARP1", "INI2", "XYZ1", "DIV1"};
            std::string body(recipe.Byte(), static_cast<char>(recipe.Byte()));
            extra += pcgw::Chunk(Ids[recipe.Byte() % std::size(Ids)], body);
            break;
        }
        default: break;
        }
    }
    // Written straight into file, headers first, so that no bank is copied twice.
    const auto size32 = [](std::size_t size) { return static_cast<std::uint32_t>(size); };
    const auto bodyOf = [&](bool combis) {
        std::size_t body = 0;
        for (std::size_t b = 0; b < count; ++b)
            if ((std::string(kept[b].id) == "CBK1") == combis)
                body += 24 + kept[b].records.size();
        return body;
    };
    const std::size_t programs = bodyOf(false), combis = bodyOf(true);
    const std::size_t setListBank = 12 + setLists.size();
    const std::size_t tail = (programs > 0 ? 12 + programs : 0) + (combis > 0 ? 12 + combis : 0) + extra.size();
    file.clear();   // its memory kept: an assignment would take the new text's, and grow it again
    file += pcgw::FileHeader((flags & 1) != 0 ? 0x50 : 0x68);
    file += pcgw::ChunkHead("PCG1", size32(24 + setListBank + tail));
    file += pcgw::ChunkHead("SLS1", size32(12 + setListBank));
    file += pcgw::ChunkHead("SBK1", size32(setListBank));
    file += pcgw::BankHead(setListCount, pcgw::SetListSize, 0);
    file += setLists;
    for (const bool combi : {false, true}) {
        if ((combi ? combis : programs) == 0)
            continue;
        file += pcgw::ChunkHead(combi ? "CMB1" : "PRG1", size32(combi ? combis : programs));
        for (std::size_t b = 0; b < count; ++b) {
            const Bank& bank = kept[b];
            if ((std::string(bank.id) == "CBK1") != combi)
                continue;
            file += pcgw::ChunkHead(bank.id, size32(12 + bank.records.size()));
            file += pcgw::BankHead(bank.numProgs, bank.objSize, bank.bankId);
            file += bank.records;
        }
    }
    file += extra;
    if ((flags & 6) == 2)
        file.resize(file.size() - (flags >> 3) * 4099 % file.size());   // cut
    else if ((flags & 6) == 4)
        file += std::string(flags >> 3, '\0');   // zero padding, or bytes after the last chunk
    else if ((flags & 6) == 6)
        file[20] = static_cast<char>(flags);   // a container size that lies
}

void Check(bool ok, const char* what)
{
    if (!ok)
        Fail(what);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Recipe recipe(data, size);
    static std::string bytes, other, made;   // kept from input to input, as FileOf's
    FileOf(recipe, bytes);
    try {
        std::vector<scry::FileModel> files;   // as the commands that take several files have them
        files.push_back(scry::ReadModelOfBytes("f.PCG", bytes));
        const scry::FileModel& model = files.front();
        std::string out;
        // Every slot now and then, the used ones most of the time.
        const bool all = size > 3 && data[3] == 0xA5;
        scry::WriteShow(out, model, all);
        scry::WriteSlotsCsv(out, files, all);
        scry::WriteRecordsCsv(out, files);
        scry::WriteJson(out, files, false);
        out += scry::HtmlPage(model);
        // A mutation of the file: a byte changed inside its set lists or its banks.
        other.assign(bytes);
        if (size > 2)
            other[(data[1] * 65537u + data[2] * 257u) % other.size()] ^= static_cast<char>(data[size - 1] | 1);
        const scry::FileModel changed = scry::ReadModelOfBytes("g.PCG", other);
        Check(scry::Compare(model, model).differences.empty(), "a file differs from itself");
        const scry::Comparison comparison = scry::Compare(model, changed);
        out += scry::DiffText(comparison) + scry::DiffJson(comparison) + scry::HtmlComparison(comparison);
        // The set-list text of a set list, applied unedited: the same file.
        const scry::SetListView at = scry::SetListOf(model, data[0] % 8u);
        if (!model.Damaged() && at.list != nullptr) {
            const std::string list = bytes.substr(static_cast<std::size_t>(at.Offset()), pcgw::SetListSize);
            const std::string text = scry::SetListTextOf(model, at, scry::SetListFingerprint(list));
            const scry::Applied applied = scry::ApplySetLists(model, bytes, {{"t.txt", text}}, false);
            Check(applied.faults.empty(), "an unedited set-list text is refused");
            applied.made.WholeInto(made);
            Check(made == bytes, "an unedited set-list text changes the file");
        }
        // Follow and copy between the two files.
        if (!changed.Damaged()) {
            const std::vector<scry::FollowStep> steps = scry::PlanFollow(model, changed);
            const scry::Carried followed = scry::Followed(changed, other, steps);
            followed.made.WholeInto(made);
            Check(!scry::ChangedOutside(made, other, followed.changed) &&
                      !scry::ChangedOutside(followed.made, followed.changed),
                  "follow changes bytes outside");
            Check(!scry::WrongInFollowed(scry::ReadModelOfBytes("o.PCG", made), model, steps),
                  "a followed slot plays another sound");
            scry::CopyAsk ask;
            ask.setLists.push_back({data[0] % 8u, (data[0] >> 3) % 128u, "--setlist"});
            ask.to = "U-A";
            const scry::CopyPlan plan = scry::PlanCopy(model, changed, ask);
            for (const scry::CopyRefusal& refusal : plan.refusals)
                for (const std::string& line : scry::RefusalLines(model, changed, refusal))
                    out += line;
            if (plan.refusals.empty()) {
                const scry::Carried copied = scry::Copied(bytes, model, other, changed, plan);
                copied.made.WholeInto(made);
                Check(!scry::ChangedOutside(made, other, copied.changed) &&
                          !scry::ChangedOutside(copied.made, copied.changed),
                      "copy changes bytes outside");
                Check(!scry::WrongInCopied(scry::ReadModelOfBytes("c.PCG", made), model, plan),
                      "a copy does not read back as planned");
            }
        }
        // Both files as a library: a search by name, the groups, the catalogue's blob.
        scry::DuplicateFinder finder;
        for (const scry::FileModel* file : {&model, &changed}) {
            scry::FileSummary summary = scry::SummaryOf(*file);
            const std::vector<std::int64_t> ids(summary.banks.size(), 1);
            const std::string blob = scry::EncodeFile(summary, file->name, ids, 2);
            const scry::StoredFile back = scry::DecodeFile(blob, file->name);
            Check(scry::EncodeFile(back.summary, file->name, back.bankRows, back.setListRows) == blob,
                  "a summary does not read back");
            for (const scry::LibraryBank& bank : summary.banks)
                Check(bank.rows == nullptr || scry::DecodeRows(scry::EncodeRows(*bank.rows)) == *bank.rows,
                      "a bank's rows do not read back");
            scry::FindQuery query;
            scry::FoldedLatin1("a", query.folded);
            scry::HitsIn(summary, query);
            finder.Add(file == &model ? 0 : 1, std::move(summary));
        }
        finder.Groups(data[0] & 1);
    } catch (const scry::Unreadable&) {
        // A cut or a lie that leaves no PCG file: status 2.
    }
    return 0;
}
