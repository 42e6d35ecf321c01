// scry uses.
#include "command/Commands.h"

#include "model/Uses.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// What was looked for, as a person wrote it: a place as it stands, a name between quotes.
std::string Asked(const Query& query)
{
    std::string asked = LineText(query.text);
    if (query.places.empty()) {
        asked.insert(0, 1, '"');
        asked += '"';
    }
    return asked;
}

// Why nothing was found: the records of that name or place that the file does hold, or that it
// holds none.
std::string NothingFound(const FileModel& file, const Query& query)
{
    std::string line = "no slot plays " + Asked(query);
    const std::vector<RecordHit> records = RecordsNamedBy(file, query);
    if (records.empty() && query.places.empty()) {
        line += "; no record of that name is in " + SourceName(file.name);
        const std::vector<std::string> near = NearestNames(file, query, 3);
        for (std::size_t k = 0; k < near.size(); ++k)
            line += (k == 0 ? "; did you mean " : ", ") + Quoted(near[k]);
        return line + (near.empty() ? "" : "?");
    }
    if (records.empty())
        return line + "; no record there is in " + SourceName(file.name);
    line += "; ";
    constexpr std::size_t MostNamed = 5;   // a line, not a screenful
    for (std::size_t k = 0; k < records.size() && k < MostNamed; ++k) {
        const Bank& bank = file.banks[records[k].bank];
        line += (k == 0 ? "" : ", ") + std::string(SlotTypeText(RecordKindOf(bank.kind)->playedAs)) + " " +
                RecordPlaceText(bank, records[k].number) + " " + Quoted(bank.records[records[k].number].name);
    }
    if (records.size() > MostNamed)
        line += " and " + std::to_string(records.size() - MostNamed) + " more";
    return line + (records.size() == 1 ? " is in " : " are in ") + SourceName(file.name);
}

}   // namespace

int RunUses(const UsesOptions& options, Console& console)
{
    Session session(console, {options.file}, options.output, OutputKind::Text, options.force);
    const FileModel file = session.Read(0);
    const Query query = QueryOf(options.what);
    const std::vector<SlotHit> hits = SlotsThatPlay(file, query);
    std::string out;
    const SetListView first = SetListOf(file, 0);
    session.NoteSetListBanks(file);
    for (const SlotHit& hit : hits) {
        const SetList& list = first.bank->setLists[hit.at.setList];
        out += SetListLabel(file, hit.at.List()) + " " + Quoted(list.name) + "  SLOT " +
               Pad3(static_cast<unsigned>(hit.at.slot)) + " " + Quoted(list.slots[hit.at.slot].name) + "  " +
               PlaysText(hit.plays) + "\n";
    }
    session.Deliver(out);
    if (hits.empty())
        SayError(console, NothingFound(file, query));
    return session.StatusWith(hits.empty() ? Differ : Success);
}

}   // namespace scry
