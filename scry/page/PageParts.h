// The parts of a page of one file, and of NEW on a comparison page: set lists as tiles, banks as
// grids, records stored twice, chunks; on a comparison, each difference marked where it stands,
// and what a slot played and the settings it had where they were other.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "model/Compare.h"
#include "model/Model.h"
#include "text/Text.h"

namespace scry {

// Where each difference stands on the page of NEW, by what it marks.
struct Marks {
    std::map<SlotAt, std::vector<const Difference*>> slots;
    std::map<SetListAt, std::vector<const Difference*>> setLists;
    std::map<RecordAt, const Difference*> records;
    std::map<BankAt, const Difference*> banks;
    std::map<ChunkAt, const Difference*> chunks;
    // Where a difference is marked on the page (an element's id), or "" where it has no place in NEW.
    std::map<const Difference*, std::string> anchors;
};
Marks MarksOf(const Comparison& comparison);

struct Page {
    std::string out;
    const FileModel& file;          // NEW on a comparison
    const Comparison* comparison;   // null for the page of one file
    const Marks& marks;
    TextPart part = {};   // where given, handed what is made after each set list and bank

    bool Comparing() const { return comparison != nullptr; }
    void HandOn()
    {
        if (part)
            part(out);
    }
    const char* SameClass(bool marked) const { return Comparing() && !marked ? " same" : ""; }
};

// The ids of things on the page.
std::string SetListId(const SetListAt& at);
std::string SlotId(const SlotAt& at);

// Set lists, banks, records stored twice (on the page of one file), chunks.
void WriteParts(Page& page);
// What the file holds, with links to each part.
std::string ContentsNav(const FileModel& file);
// The file's problems, as a list; "" for a file that reads whole.
std::string Problems(const FileModel& file);
// "16,894,762 bytes · Kronos format" and the problems.
std::string FileFacts(const FileModel& file);

inline constexpr const char* SearchBox = "<p class=\"search\" hidden><label for=\"q\">Search names</label> "
                                         "<input id=\"q\" type=\"search\" autocomplete=\"off\" hidden> "
                                         "<output id=\"count\" for=\"q\" aria-live=\"polite\"></output></p>";

}   // namespace scry
