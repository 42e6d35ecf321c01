// The commands of scry, each writing to a stream what it makes of one or two models.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Model.h"

namespace scry {

// A readable listing, one record per line, stable for line-based diffs; appended to out.
void WriteShow(std::string& out, const FileModel& file, bool all);

// Differences of NEW against OLD, each with where it is and its line (key first).
enum class Change { Renamed, Changed, RenamedAndChanged, Moved, Added, Removed, Settings };
enum class Place { SetList, Slot, Record, Bank, SetListBank, Chunk };

struct Difference {
    Change change = Change::Changed;
    Place place = Place::Chunk;
    std::size_t setList = 0;   // SetList, Slot
    std::size_t slot = 0;      // Slot
    ChunkKind kind = 0;        // Record, Bank: Kind::PRG1 or Kind::CMB1
    std::string bank;          // Record, Bank: the bank's name
    std::size_t number = 0;    // Record
    std::string chunk;         // Chunk: its id
    std::string line;
};

struct DiffCounts {
    unsigned renamed = 0, changed = 0, moved = 0, added = 0, removed = 0, settings = 0;
    unsigned Total() const { return renamed + changed + moved + added + removed + settings; }
};

std::vector<Difference> Differences(const FileModel& oldFile, const FileModel& newFile);
DiffCounts CountOf(const std::vector<Difference>& differences);
// The lines of Differences, counted.
std::vector<std::string> DiffLines(const FileModel& oldFile, const FileModel& newFile, DiffCounts& counts);
std::string DiffSummary(const DiffCounts& counts);
// "renamed", "changed", "renamed and changed", "moved", "added", "removed", "settings changed"
const char* ChangeName(Change change);

// RFC 4180 CSV with a header row: one row per used slot (all with all), or per record.
void WriteSlotsCsv(std::ostream& out, const std::vector<FileModel>& files, bool all);
void WriteRecordsCsv(std::ostream& out, const std::vector<FileModel>& files);
// One CSV field, quoted where it must be.
std::string CsvField(const std::string& text);

// Every model as one JSON document.
void WriteJson(std::ostream& out, const std::vector<FileModel>& files, bool all);

// One self-contained web page of a file, or of two files compared (NEW marked against OLD).
std::string HtmlPage(const FileModel& file);
std::string HtmlComparison(const FileModel& oldFile, const FileModel& newFile);

// "Prog I-B012 \"Grand Piano\"" or "Prog GM005 (instrument's own bank)".
std::string PlaysText(const Plays& plays);
// "transpose 1, volume 127, hold 3, color 2, font 1, kbd track 0"
std::string SettingsText(const SlotAttributes& slot);
// A name for a line of text: UTF-8, control bytes as \xNN, so one record stays one line.
std::string LineName(const std::string& bytes);
// The same between double quotes.
std::string Quoted(const std::string& name);

}   // namespace scry
