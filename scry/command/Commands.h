// One routine per command: what it reads, what it writes, its exit status (see Status).
#pragma once

#include <string>
#include <vector>

#include "command/Delivery.h"
#include "command/Session.h"

namespace scry {

// Each command's own options, as its command line gives them.

// -o and --force, of every command that writes.
struct OutputOptions {
    std::string output;   // "" or "-" for standard output
    bool force = false;   // replace an existing output (as its kind allows)
};

// The catalogue and the threads of a command that reads a library.
struct LibraryOptions {
    std::string catalogue;      // "" for the default
    bool noCatalogue = false;   // read every file afresh, keep nothing
    unsigned jobs = 0;          // threads that read files; 0 for one per core
};

struct ShowOptions : OutputOptions {
    std::vector<std::string> files;
    bool all = false;   // unused slots too
    int setList = -1;   // only this set list (-1: every one)
    int slot = -1;      // only this slot of it (-1: every one)
};

struct TextconvOptions {
    std::vector<std::string> files;   // one
};

struct UsesOptions : OutputOptions {
    std::string file;
    std::string what;   // a place, or words of a name
};

// A command on set list N of one file: setlist, stage, gig.
struct SetListOptions : OutputOptions {
    std::string file;
    int setList = 0;
};

struct GigOptions : SetListOptions {
    bool compact = false;   // smaller type, more slots on a page
};

struct ApplyOptions : OutputOptions {
    std::string file;
    std::vector<std::string> texts;   // the set lists as text
    bool ignoreFingerprint = false;   // take a text whose set list changed since
};

struct FollowOptions : OutputOptions {
    std::vector<std::string> files;   // OLD NEW
    bool dryRun = false;              // say, write nothing
};

struct CopyOptions : OutputOptions {
    std::vector<std::string> files;      // SRC DEST
    std::vector<std::string> programs;   // --prog
    std::vector<std::string> combis;     // --combi
    std::vector<std::string> setLists;   // --setlist
    std::string to;                      // --to: a bank
    bool dryRun = false;                 // say, write nothing
};

struct DiffOptions : OutputOptions {
    std::vector<std::string> files;   // OLD NEW
    bool brief = false;               // only whether they differ
    bool json = false;                // every difference as data
};

struct CsvOptions : OutputOptions {
    std::vector<std::string> files;
    bool all = false;       // rows for unused slots too
    bool records = false;   // a row per record instead
    bool raw = false;       // names exactly as they are
};

struct JsonOptions : OutputOptions {
    std::vector<std::string> files;
    bool all = false;   // unused slots too
};

struct HtmlOptions : OutputOptions {
    std::vector<std::string> files;   // FILE, or OLD NEW
};

struct FindOptions : OutputOptions, LibraryOptions {
    std::vector<std::string> files;     // paths, then the name
    std::string place;                  // --place
    std::vector<std::string> soundOf;   // --sound-of FILE PLACE
    std::vector<std::string> kinds;     // --kind
    bool each = false;                  // a line per file's hit
    bool json = false;
};

struct DupsOptions : OutputOptions, LibraryOptions {
    std::vector<std::string> files;   // paths
    bool across = false;              // only groups across files
    bool json = false;
};

struct HistoryOptions : OutputOptions {
    std::vector<std::string> files;   // the versions, or folders of them
    bool byTime = false;              // oldest first by time of change
    bool all = false;                 // a line for every record of a replaced bank
    std::string place;                // --place
    std::string name;                 // --name
    unsigned jobs = 0;
};

// show FILE...: files that cannot be read are said and left out.
int RunShow(const ShowOptions& options, Console& console);
// textconv FILE: the listing without its FILE line, status 0 whatever the file holds (what
// cannot be read is in the text), so that git diff never stops on a file.
int RunTextconv(const TextconvOptions& options, Console& console);
// uses FILE WHAT: status 0 when some slot plays it, 1 when none does, as grep has it.
int RunUses(const UsesOptions& options, Console& console);
// diff OLD NEW: status 1 when the files differ (Damaged and Trouble outrank it).
int RunDiff(const DiffOptions& options, Console& console);
// csv FILE..., json FILE...: files that cannot be read are said and left out.
int RunCsv(const CsvOptions& options, Console& console);
int RunJson(const JsonOptions& options, Console& console);
// html FILE [NEW], gig FILE N: a page, and a word on standard error of where it went.
int RunHtml(const HtmlOptions& options, Console& console);
int RunGig(const GigOptions& options, Console& console);
// stage FILE N: the stage view of the file's set lists, from set list N.
int RunStage(const SetListOptions& options, Console& console);
// setlist FILE N: set list N as a text to edit.
int RunSetList(const SetListOptions& options, Console& console);
// apply FILE TEXT... -o OUT: a new PCG file with the texts' set lists, read back before it is kept.
int RunApply(const ApplyOptions& options, Console& console);

// follow OLD NEW -o OUT: NEW with every set-list slot playing the sound it played in OLD; status 1
// where a slot's sound is not in NEW (OUT is written all the same).
int RunFollow(const FollowOptions& options, Console& console);
// copy SRC DEST -o OUT WHAT...: DEST with SRC's records and set lists written in.
int RunCopy(const CopyOptions& options, Console& console);

// find PATH... QUERY: records, set lists and slots of every file found, by name, place or
// sound; status 1 when nothing is found.
int RunFind(const FindOptions& options, Console& console);
// dups PATH...: groups of records of the same sound, and of identical set lists; status 1 for none.
int RunDups(const DupsOptions& options, Console& console);
// history FILE...: the differences of each version against the one before; status 1 where any.
int RunHistory(const HistoryOptions& options, Console& console);

}   // namespace scry
