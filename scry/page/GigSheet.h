// The gig sheet and the stage view: one set list's used slots in large type, pages of their own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/Model.h"
#include "model/SetLists.h"

namespace scry {

// How the gig sheet of a set list prints on A4 portrait: the size of its type, as large as the
// page allows for its rows (24 a page, 64 in compact) and small enough that the longest name and
// what its slots play stay on one line; and how many pages it takes.
struct GigPrint {
    double points;         // the type's size
    std::size_t rows;      // used slots
    std::size_t perPage;   // rows a page holds
    std::size_t pages;
    bool stacked = false;   // what a slot plays printed under its name (a short list of long names)
};
GigPrint GigPrintOf(const FileModel& file, const SetListView& at, bool compact);

// Set lists edited and not yet saved (in the page for browsers): a sheet of them marks each slot
// and set-list name the edits changed.
struct SheetEdits {
    std::vector<std::vector<bool>> slots;   // by set list, then slot
    std::vector<bool> names;                // by set list
    bool Slot(std::size_t list, std::size_t slot) const
    {
        return list < slots.size() && slot < slots[list].size() && slots[list][slot];
    }
    bool Name(std::size_t list) const { return list < names.size() && names[list]; }
};

// The gig sheet of set list `at`: a title block (the set list, the file, the date it was last
// changed where known, its used slots), then slot, name, what it plays, and the settings a
// performer reads on stage, of every used slot, printed as GigPrintOf says, with page numbers.
std::string GigPage(const FileModel& file, const SetListView& at, bool compact = false, const std::string& changed = {},
                    const SheetEdits* edits = nullptr);
// The stage view of the set lists of at's bank that play something, starting at `at`: one used
// slot at a time in large type, the next below, moved through by swipe, keys and buttons (its
// script); without a script, every slot of every set list in large type.
std::string StagePage(const FileModel& file, const SetListView& at, const SheetEdits* edits = nullptr);

}   // namespace scry
