// What every scry command does around its own work: its inputs (opened before anything is read,
// standard input checked before it is kept), its output (-o: checked before anything is read,
// never over an input, a PCG file or a folder, over another file only as its kind allows), and its
// exit status, the worst of what it met.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "OutFile/OutFile.h"
#include "command/Console.h"
#include "model/Model.h"
#include "model/SetLists.h"
#include "ops/Operations.h"
#include "write/Written.h"

namespace scry {

// What a command writes, for what its output may replace.
enum class OutputKind {
    Text,          // an existing file only with --force
    Page,          // a page of scry; any other existing file only with --force
    SetListText,   // a set-list text that scry wrote and nobody edited; any other only with --force
    PcgFile,       // a new PCG file: a file by name (no stream), never over a PCG file, any other only with --force
};

// The most a PCG file read from standard input may hold (the instrument's largest are a few tens
// of megabytes).
inline constexpr std::uint64_t StandardInputLimit = std::uint64_t{256} << 20;

// One input of a command, opened; "-" is standard input.
struct Input {
    std::string name;
    std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> stream{nullptr, &CloseInput};
    std::unique_ptr<std::string> bytes;   // standard input kept in memory where it is no file
    InputHold hold;                       // the mapped file, while a command holds its bytes (WholeOf)
    std::string failure;                  // why it cannot be read; empty when it can
};

// A command's files, the texts it reads, and its output. Opening them checks what can be checked
// before anything is read: standard input named twice, an output that must not be written (each
// raises Trouble). A file that cannot be opened is kept with its failure.
class Session {
public:
    Session(Console& console, const std::vector<std::string>& files, const std::string& output, OutputKind kind,
            bool force, const std::vector<std::string>& texts = {});

    std::size_t Count() const { return inputs.size(); }
    // The model of file i; raises Trouble when it cannot be read. A damaged file is said once on
    // standard error and counts as such in the status.
    FileModel Read(std::size_t i);
    // The models of every file that can be read; each one that cannot is said on standard error
    // and left out, and counts as trouble in the status.
    std::vector<FileModel> ReadEach();
    // The models of files 0 to count - 1, read side by side on threads of their own, then taken
    // in order as Read takes each: the first that cannot be read raises Trouble.
    std::vector<FileModel> ReadTogether(std::size_t count);
    // Up to count bytes of file i from offset on (fewer where it ends); raises Trouble when it
    // cannot be read.
    std::string BytesOf(std::size_t i, std::int64_t offset, std::size_t count);
    // Every byte of file i as its model was read from, valid for the session's life: the mapped
    // file where it is mapped, else read once. Raises Trouble when it cannot be read, or where
    // the file shrank while it was read.
    std::string_view WholeOf(std::size_t i, const FileModel& file);
    // The model of file i, which a command writes a copy of: raises Trouble where it is damaged.
    FileModel ReadWhole(std::size_t i, const char* command);
    // Raises that Trouble where file, read already, is damaged.
    static void RequireWhole(const FileModel& file, const char* command);
    // File i as the operations take it: its bytes (WholeOf), and its stream, which reads them by calls.
    ops::FileBytes FileBytesOf(std::size_t i, const FileModel& file);
    // The new PCG file an operation made of the bytes of file i and verified in memory, written to
    // the output and read back: every byte read back must be the one made (WriteReadBack). Raises
    // Trouble saying why not, or why the operation made none (its verdict), and says on standard
    // error that it wrote it.
    void WritePcgCopy(const std::optional<ops::NewPcg>& made, const MadeVerdict& verdict, std::size_t i);
    // Text k of the command, as read (at most a megabyte); raises Trouble when it cannot be read.
    std::string Text(std::size_t k);
    // Set list N of a file as every command reads it, of its first set-list bank: says once on
    // standard error where the file holds another set-list bank, which is not read. Raises
    // Trouble where the file holds no set list N or it cannot be read whole.
    SetListView SetListOf(const FileModel& file, std::size_t number);
    // The same word alone, where the file holds more than one set-list bank.
    void NoteSetListBanks(const FileModel& file);
    // Says on standard error that set list at has no used slot, and which set lists have: Differ
    // then (the command's output is written all the same), else Success.
    int SayIfEmpty(const FileModel& file, const SetListView& at);
    // The command's text, to standard output or to its -o file.
    void Deliver(std::string_view text);
    // Where the output goes: "" for standard output.
    const std::string& Output() const { return output; }
    // What the session met, as an exit status, with the command's own.
    int StatusWith(int commandStatus) const { return Worst(status, commandStatus); }
    Console& Streams() { return console; }

private:
    // A model read of file i: said on standard error where it is damaged, and counted.
    FileModel Taken(std::size_t i, FileModel model);
    // True when name is the very file of one of the inputs or texts.
    bool IsInput(const std::string& name) const;
    void CheckOutput(OutputKind kind, bool force);

    Console& console;
    std::vector<Input> inputs;
    std::vector<Input> texts;
    std::string output;
    int status = Success;
    bool saidSecondSetListBank = false;
    bool backupEarlier = false;   // the new PCG file takes the name of an earlier one, kept as a backup
};

}   // namespace scry
