// history's comparisons, version after version.
#include "ops/History.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "summary/Search.h"
#include "model/Compare.h"
#include "model/Match.h"
#include "text/DiffText.h"
#include "text/LibraryText.h"

namespace scry::ops {

namespace {

// Whether a difference is about what history is asked to follow: a place (records there, slots
// that play it) or a name (records, set lists and slots of that name, before or after).
bool Follows(const Comparison& comparison, const Difference& difference, const Query& query)
{
    if (!query.places.empty()) {
        if (difference.subject == Subject::Slot) {
            const auto plays = [&](const Plays& p) {
                return std::find(query.places.begin(), query.places.end(), p.target) != query.places.end();
            };
            return (difference.inNew && plays(NewPlays(comparison, difference))) ||
                   (difference.inOld && plays(OldPlays(comparison, difference)));
        }
        if (difference.subject != Subject::Record)
            return false;
        FindQuery asked;
        asked.places = query.places;
        const auto at = [&](const FileModel& file, const Place& place) {
            const RecordAt& record = std::get<RecordAt>(place);
            const Bank& bank = file.banks[record.bank];
            const RecordPlace named{bank.kind, bank.bankId, static_cast<std::uint32_t>(record.number)};
            const std::vector<RecordPlace> places = RecordPlacesOf(asked);
            return std::find(places.begin(), places.end(), named) != places.end();
        };
        return (difference.inNew && at(*comparison.after, difference.newAt)) ||
               (difference.inOld && at(*comparison.before, difference.oldAt));
    }
    const auto named = [&](const auto* thing) { return thing != nullptr && NameHolds(thing->name, query.folded); };
    switch (difference.subject) {
    case Subject::Record: return named(OldRecord(comparison, difference)) || named(NewRecord(comparison, difference));
    case Subject::SetList:
        return named(OldSetList(comparison, difference)) || named(NewSetList(comparison, difference));
    case Subject::Slot: return named(OldSlot(comparison, difference)) || named(NewSlot(comparison, difference));
    default: return false;
    }
}

// The records history follows in a bank that one version holds and the other does not: each
// one line, after the bank's own, so that a record gone (or come) with its whole bank is said.
std::string RecordsOfBankFollowed(const Comparison& comparison, const Difference& difference, const Query& query)
{
    if (difference.subject != Subject::RecordBank || difference.inOld == difference.inNew)
        return {};
    const FileModel& file = difference.inOld ? *comparison.before : *comparison.after;
    const Bank& bank = file.banks[std::get<BankAt>(difference.inOld ? difference.oldAt : difference.newAt).bank];
    FindQuery asked;
    asked.places = query.places;
    const std::vector<RecordPlace> places = query.places.empty() ? std::vector<RecordPlace>{} : RecordPlacesOf(asked);
    std::string lines;
    for (std::size_t n = 0; n < bank.records.size(); ++n) {
        const Record& record = bank.records[n];
        const bool followed =
            query.places.empty()
                ? NameHolds(record.name, query.folded)
                : std::find(places.begin(), places.end(),
                            RecordPlace{bank.kind, bank.bankId, static_cast<std::uint32_t>(n)}) != places.end();
        if (followed)
            lines += RecordWithItsBankLine(bank, n, difference.inOld) + "\n";
    }
    return lines.empty() ? lines : DiffLine(comparison, difference) + "\n" + lines;
}

}   // namespace

std::string History::Next(FileModel version, bool more)
{
    std::string text;
    if (previous) {
        // A file of another origin is said as such, not compared as a version: the next one is
        // compared with the version before it.
        const Likeness likeness = LikenessOf(*previous, version);
        if (!likeness.Versions()) {
            foreign = true;
            return NotVersionsText(version.name, previous->name, likeness.Percent(), more);
        }
        const Comparison comparison = Compare(*previous, version);
        std::string block;
        if (!follow) {
            block = HistoryText(comparison, all);
            differ = differ || !comparison.differences.empty();
        } else {
            for (const Difference& difference : comparison.differences) {
                if (Follows(comparison, difference, *follow))
                    block += DiffLine(comparison, difference) + "\n";
                else
                    block += RecordsOfBankFollowed(comparison, difference, *follow);
            }
            differ = differ || !block.empty();
        }
        if (!block.empty())
            text = VersionHeading(version.name, previous->name) + block;
    }
    previous = std::move(version);
    return text;
}

}   // namespace scry::ops
