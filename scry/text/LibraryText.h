// A library search in words and as JSON: find's lines (one per hit: file, what and where, name,
// fingerprint), dups' groups, and each as one document for scripts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "summary/Entry.h"
#include "summary/Search.h"

namespace scry {

// "backups/2024-05.PCG  Prog U-A006  \"Vintage Rhodes MkI\"  8A01C3F2", a file's hits in order.
std::string FindLines(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits);
// Each hit once, with the files that hold it the same (place, name, fingerprint, what a slot
// plays), in place order: "Prog U-A006  \"Vintage Rhodes MkI\"  8A01C3F2  in 3 files: a.PCG,
// b.PCG, c.PCG"; eight files named at most, then how many more.
std::string FindGroupedLines(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits);
// {"hits": [{"file": ..., "kind": "program", ...}, ...]}: the same hits, in the same order.
std::string FindJson(const std::vector<LibraryEntry>& entries, const std::vector<FileHits>& hits);

// "SOUND 8A01C3F2  HD-1 program, 3 places in 2 files", a line below for each file with its places
// there ("  a.PCG  Prog U-A044  \"Drum\", Prog U-AA120  \"Drum\""), each group so;
// then "12 groups of the same sound (40 places), 1 of the same set list (2 places)".
std::string DupsText(const std::vector<LibraryEntry>& entries, const Duplicates& duplicates);
// The same, appended to out, handed on by partDone after each group (a library's groups may
// list hundreds of thousands of places).
void WriteDups(std::string& out, const std::vector<LibraryEntry>& entries, const Duplicates& duplicates,
               const std::function<void(std::string&)>& partDone);
std::string DupsJson(const std::vector<LibraryEntry>& entries, const Duplicates& duplicates);

// "reading 312/1000 files, 4.1 GB": a scan's progress line.
std::string ProgressText(const ScanProgress& progress);

}   // namespace scry
