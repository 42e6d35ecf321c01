// What every scry command does around its own work: the console it talks through, its inputs
// (opened before anything is read, standard input checked before it is kept), its output (-o:
// checked before anything is read, written beside its name and put in place whole), and its
// exit status, the worst of what it met.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Model.h"

namespace scry {

// Exit statuses, from the least to the most serious: Damaged outranks Differ, and Trouble
// outranks them all.
enum Status : int { Success = 0, Differ = 1, TroubleStatus = 2, Damaged = 3 };
int Worst(int a, int b);

// The process's standard streams, or texts in their place for a test that runs a command in
// its own process.
struct Console {
    std::string* out = nullptr;         // standard output captured here; null: the process's own
    std::string* err = nullptr;         // standard error captured here; null: the process's own
    const std::string* in = nullptr;    // standard input given here; null: the process's own
};

// Raises Trouble ("cannot write to standard output: ...") when standard output cannot take it.
void WriteOut(Console& console, std::string_view text);
// One line on standard error, "scry: " first; never raises.
void SayError(Console& console, std::string_view line);

// The options of every command, each command reading its own.
struct Options {
    std::vector<std::string> files;
    std::string output;   // -o: "" or "-" for standard output
    bool all = false;
    bool records = false;
    bool brief = false;
    bool raw = false;
    int setList = -1;   // show --setlist: only this set list (-1: every one)
    int slot = -1;      // show --slot: only this slot of it (-1: every one)
    std::string what;   // uses: the place or the name of a record
    std::string file;   // a command that reads one file and takes more after it
    std::vector<std::string> texts;   // apply: the set lists as text
    bool force = false;               // apply: replace an existing output
    bool ignoreFingerprint = false;   // apply: take a text whose set list changed since
};

// One input of a command, opened; "-" is standard input.
struct Input {
    std::string name;
    std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> stream{nullptr, &CloseInput};
    std::unique_ptr<std::string> bytes;   // standard input kept in memory where it is no file
    std::string failure;                  // why it cannot be read; empty when it can
};

// A command's files and its output. Opening them checks what can be checked before anything is
// read: standard input named twice, an output name that is an input, a PCG file or a folder
// (each raises Trouble). A file that cannot be opened is kept with its failure.
class Session {
public:
    Session(Console& console, const std::vector<std::string>& files, const std::string& output);

    std::size_t Count() const { return inputs.size(); }
    // The model of file i; raises Trouble when it cannot be read. A damaged file is said once on
    // standard error and counts as such in the status.
    FileModel Read(std::size_t i);
    // The models of every file that can be read; each one that cannot is said on standard error
    // and left out, and counts as trouble in the status.
    std::vector<FileModel> ReadEach();
    // Up to count bytes of file i from offset on (fewer where it ends); raises Trouble when it
    // cannot be read.
    std::string BytesOf(std::size_t i, std::int64_t offset, std::size_t count);
    // True when name is the very file of one of the inputs.
    bool IsInput(const std::string& name) const;
    // The command's text, to standard output or to its -o file.
    void Deliver(std::string_view text);
    // What the session met, as an exit status, with the command's own.
    int StatusWith(int commandStatus) const { return Worst(status, commandStatus); }
    Console& Streams() { return console; }

private:
    Console& console;
    std::vector<Input> inputs;
    std::string output;
    int status = Success;
};

// The regular file under name begins as a page that scry wrote; never blocks.
bool IsPageOfScry(const std::string& name);

}   // namespace scry
