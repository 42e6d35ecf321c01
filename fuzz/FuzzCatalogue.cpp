// libFuzzer target: the library catalogue's rows as they come back from the database, edited by
// hand or damaged. A gig file's summary and its banks' rows are encoded once; each input edits
// those blobs (cuts them, puts bytes, 32-bit counts and numbers in them, swaps them) or, after a
// first byte of 0xFF, stands for a file's blob and a rows blob itself. What does not decode must
// raise DamagedSummary; what decodes must encode back to the very same bytes, hold only what the
// format allows, and go through a search, the duplicate groups and their lines and JSON; the
// whole summary a page keeps must decode to itself, and the input read as one must decode or be
// damaged. Anything else, a crash or a sanitizer finding ends the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "library/Scan.h"
#include "summary/Search.h"
#include "summary/Summary.h"
#include "summary/SummaryCodec.h"
#include "model/Model.h"
#include "text/LibraryText.h"
#include "PcgWriter.h"

namespace {

const std::string Key = "/library/gig.PCG";

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_catalogue: %s\n", what);
        std::abort();
    }
}

// The blobs of a gig: its file's (with its rows as ids 1, 2, 3), then each bank's rows.
const std::vector<std::string>& Blobs()
{
    static const std::vector<std::string> blobs = [] {
        std::string setLists = pcgw::Records(pcgw::SetListSize);
        std::string programs = pcgw::Records(pcgw::ProgramSize), combis = pcgw::Records(pcgw::CombiSize);
        pcgw::SetName(setLists, 0, "Friday");
        pcgw::SetSlot(setLists, 0, 0, "Piano", pcgw::PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
        pcgw::SetSlot(setLists, 0, 1, "Split", pcgw::PackSlot(0, 1, 0, 0, 0, 0, 0, 90, 0));
        pcgw::SetSlot(setLists, 3, 7, "GM", pcgw::PackSlot(1, 1, 0, 6, 0, 52, 0, 90, 0));
        pcgw::FillRecords(programs, pcgw::ProgramSize, 7);
        pcgw::FillRecords(combis, pcgw::CombiSize, 8);
        pcgw::SetRecordName(programs, pcgw::ProgramSize, 5, "Piano");
        pcgw::SetRecordName(combis, pcgw::CombiSize, 0, "Split");
        const std::string bytes =
            pcgw::PcgFile(pcgw::Chunk("SLS1", pcgw::BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                          pcgw::Chunk("PRG1", pcgw::BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) +
                          pcgw::Chunk("CMB1", pcgw::BankChunk("CBK1", 0, pcgw::CombiSize, combis)) +
                          std::string(24, '\0'));
        const scry::FileSummary summary = scry::SummaryOf(scry::ReadModelOfBytes(Key, bytes));
        std::vector<std::string> made{scry::EncodeFile(summary, Key, {1, 2}, 3)};
        for (const scry::LibraryBank& bank : summary.banks)
            made.push_back(scry::EncodeRows(*bank.rows));
        made.push_back(scry::EncodeRows(*summary.setLists));
        return made;
    }();
    return blobs;
}

// Each edit: four bytes (what, which blob, where as two bytes), then what it puts.
void Edit(std::vector<std::string>& blobs, const std::uint8_t*& at, const std::uint8_t* end)
{
    if (end - at < 4) {
        at = end;
        return;
    }
    const std::uint8_t what = at[0];
    std::string& blob = blobs[at[1] % blobs.size()];
    const std::size_t where = blob.empty() ? 0 : (std::size_t{at[2]} << 8 | at[3]) % blob.size();
    at += 4;
    switch (what % 5) {
    case 0: blob.resize(where); break;   // cut
    case 1:                              // a byte
        if (at < end && !blob.empty())
            blob[where] = static_cast<char>(*at++);
        break;
    case 2:   // a 32-bit number, little-endian: a count, a set list, a slot, a length
        if (end - at >= 4 && blob.size() >= where + 4) {
            blob.replace(where, 4, reinterpret_cast<const char*>(at), 4);
            at += 4;
        }
        break;
    case 3:   // bytes put in
        if (at < end) {
            const std::size_t asked = *at++;
            const std::size_t count = std::min(asked, static_cast<std::size_t>(end - at));
            blob.insert(where, reinterpret_cast<const char*>(at), count);
            at += count;
        }
        break;
    default: std::swap(blob, blobs[(what >> 3) % blobs.size()]); break;
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> blobs = Blobs();
    const std::uint8_t* at = data;
    const std::uint8_t* end = data + size;
    if (size > 0 && data[0] == 0xFF) {
        // Raw: a file's blob up to the first 0xFE, then one rows blob.
        const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
        const std::size_t split = rest.find('\xFE');
        blobs = {rest.substr(0, split), split == std::string::npos ? std::string() : rest.substr(split + 1)};
    } else {
        while (at < end)
            Edit(blobs, at, end);
    }
    scry::StoredFile stored;
    try {
        stored = scry::DecodeFile(blobs[0], Key);
    } catch (const scry::DamagedSummary&) {
        return 0;
    }
    Check(scry::EncodeFile(stored.summary, Key, stored.bankRows, stored.setListRows) == blobs[0],
          "a file's blob that decodes does not encode back to itself");
    Check(stored.summary.setListBanks <= 512, "a count of set-list banks past any file");
    for (const scry::LibraryBank& bank : stored.summary.banks)
        Check(bank.name.size() <= NameSize && bank.occurrence < bank.occurrences, "a bank out of range");
    // Rows by id as the catalogue would hand them: 1 for blobs[1] and so on; others missing.
    std::vector<scry::SharedRows> rows(blobs.size());
    for (std::size_t k = 1; k < blobs.size(); ++k) {
        try {
            const scry::BankRows decoded = scry::DecodeRows(blobs[k]);
            Check(scry::EncodeRows(decoded) == blobs[k], "rows that decode do not encode back to themselves");
            Check(decoded.records.size() <= RecordsPerBank && decoded.setLists.size() <= RecordsPerBank &&
                      decoded.slots.size() <= RecordsPerBank * SlotsPerSetList,
                  "more rows than a bank holds");
            for (const scry::SlotRow& slot : decoded.slots)
                Check(slot.setList < RecordsPerBank && slot.slot < SlotsPerSetList && slot.name.size() <= NameSize,
                      "a slot out of range");
            for (const scry::RecordRow& record : decoded.records)
                Check(record.name.size() <= NameSize, "a name longer than its field");
            rows[k] = std::make_shared<const scry::BankRows>(decoded);
        } catch (const scry::DamagedSummary&) {
            return 0;   // the catalogue is set aside as damaged
        }
    }
    const auto byId = [&](std::int64_t id) {
        return id > 0 && static_cast<std::size_t>(id) < rows.size() ? rows[static_cast<std::size_t>(id)] : nullptr;
    };
    scry::FileSummary summary = stored.summary;
    for (std::size_t b = 0; b < summary.banks.size(); ++b)
        summary.banks[b].rows = byId(stored.bankRows[b]);
    summary.setLists = byId(stored.setListRows);

    // A search by name, by place and by sound, its lines and JSON; the duplicate groups.
    scry::LibraryEntry entry;
    entry.state = scry::LibraryEntry::State::Catalogued;
    entry.file = {Key, Key, false};
    entry.problems = summary.problems;
    const std::vector<scry::LibraryEntry> entries{entry};
    for (int by = 0; by < 3; ++by) {
        scry::FindQuery query;
        query.by = static_cast<scry::FindQuery::By>(by);
        query.folded = "piano";
        query.places = {{SlotType::Prog, 0, 5}, {SlotType::Combi, 0, 0}};
        query.soundChunk = PBK1;
        query.sound = summary.banks.empty() || !summary.banks[0].rows || summary.banks[0].rows->records.size() < 6
                          ? 0
                          : summary.banks[0].rows->records[5].sound;
        const std::vector<scry::FileHits> hits{scry::HitsIn(summary, query)};
        scry::FindLines(entries, hits);
        scry::FindGroupedLines(entries, hits);
        scry::FindJson(entries, hits);
    }
    // The whole summary as a page keeps it in the browser: it decodes to what encodes to it again;
    // the input itself, read as one, decodes or is damaged.
    // (Only where every rows id found its rows: the catalogue refuses a file that misses some.)
    bool complete = (stored.setListRows == 0) == (summary.setLists == nullptr);
    for (std::size_t b = 0; b < summary.banks.size(); ++b)
        complete = complete && (stored.bankRows[b] == 0) == (summary.banks[b].rows == nullptr);
    if (complete) {
        const std::string whole = scry::EncodeSummary(summary, Key);
        Check(scry::EncodeSummary(scry::DecodeSummary(whole, Key), Key) == whole,
              "a whole summary does not decode to itself");
    }
    try {
        scry::DecodeSummary(std::string_view(reinterpret_cast<const char*>(data), size), Key);
    } catch (const scry::DamagedSummary&) {
    }
    scry::DuplicateFinder finder;
    finder.Add(0, std::move(summary));
    const scry::Duplicates groups = finder.Groups(false);
    std::string out;
    scry::WriteDups(out, entries, groups, [](std::string& text) { text.clear(); });
    scry::DupsJson(entries, groups);
    return 0;
}
