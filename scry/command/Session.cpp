// A command's session: its inputs opened and read, its output checked, its status kept.
#include "command/Session.h"
#include "command/Delivery.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "OutFile/OutFile.h"
#include "page/PageKit.h"
#include "text/CarryText.h"
#include "text/SetListText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// The most a set-list text may hold: a whole one is a few kilobytes.
constexpr std::size_t MostTextBytes = std::size_t{1} << 20;

// Why the first bytes of standard input are no PCG file, or "" when they may be one.
std::string HeaderFailure(const std::string& head)
{
    if (head.empty())
        return "empty";
    ChunkId magic = 0;
    std::memcpy(&magic, head.data(), std::min(head.size(), sizeof magic));
    return head.size() >= sizeof magic && magic == KORG ? "" : "not a PCG file (no KORG header)";
}

// Up to count bytes more of the process's standard input.
bool ReadMore(std::string& bytes, std::size_t count)
{
    const std::size_t had = bytes.size();
    bytes.resize(had + count);
    const std::size_t got = std::fread(bytes.data() + had, 1, count, stdin);
    bytes.resize(had + got);
    return got == count;
}

// Standard input: a file redirected to it is read as that file; anything else is read as it
// comes, its header first, so that a stream that is no PCG file is refused at once.
void OpenStandardInput(Input& input, const Console& console)
{
    input.bytes = std::make_unique<std::string>();
    std::string& bytes = *input.bytes;
    if (console.in != nullptr) {
        bytes = *console.in;
        input.failure = HeaderFailure(bytes.substr(0, sizeof(PcgFileHeader)));
    } else if (InputStream* file = OpenStandardInputFile("standard input")) {
        input.stream.reset(file);
        return;
    } else {
        // A pipe or a terminal: refused at its first bytes where it is no PCG file, else kept in a
        // temporary file, up to the bound.
        ReadMore(bytes, sizeof(PcgFileHeader));
        input.failure = HeaderFailure(bytes);
        if (!input.failure.empty())
            return;
        bool tooLarge = false;
        input.stream.reset(SpoolStandardInput(input.name, bytes, StandardInputLimit, tooLarge));
        bytes.clear();
        if (tooLarge)
            input.failure = "it holds more than " + std::to_string(StandardInputLimit >> 20) +
                            " MiB, more than any PCG file; it is not read";
        return;
    }
    if (input.failure.empty())
        input.stream.reset(OpenMemoryInput(bytes.data(), bytes.size(), input.name));
}

// Why a name that is no file cannot be read as one; "" for a file (or nothing there).
std::string NotAFile(const std::string& name, const char* what)
{
    const std::string instead = std::string("; give ") + what + " as a file, or on standard input (-)";
    switch (WhatNameLeadsTo(name)) {
    case NameLeadsTo::Folder:
        return std::string("a folder, not a file") +
               (std::string(what) == "the PCG file" ? " (find, dups and history search folders)" : "");
    case NameLeadsTo::Fifo: return "a FIFO, not a file" + instead;
    case NameLeadsTo::Device: return "a device, not a file" + instead;
    case NameLeadsTo::OtherKind: return "not a regular file" + instead;
    case NameLeadsTo::Nothing:
    case NameLeadsTo::RegularFile: break;
    }
    return "";
}

Input Open(const std::string& name, const Console& console)
{
    Input input;
    input.name = name;
    try {
        if (name == "-")
            OpenStandardInput(input, console);
        else if ((input.failure = NotAFile(name, "the PCG file")).empty())
            input.stream.reset(OpenInput(name));
    } catch (const std::system_error& error) {
        input.failure = error.code().message();
    }
    return input;
}

// A text: standard input or a file, read whole up to the bound; a stream that is a file is kept,
// so that the output guard knows it.
Input OpenText(const std::string& name, const Console& console)
{
    Input input;
    input.name = name;
    input.bytes = std::make_unique<std::string>();
    std::string& text = *input.bytes;
    try {
        if (name == "-" && console.in != nullptr) {
            text = *console.in;
        } else if (name != "-" && !(input.failure = NotAFile(name, "the text")).empty()) {
            return input;
        } else {
            input.stream.reset(name == "-" ? OpenStandardInputFile("standard input") : OpenInput(name));
            if (input.stream) {
                std::string block(65536, '\0');
                std::size_t got = 0;
                while ((got = InputRead(*input.stream, block.data(), block.size())) > 0 && text.size() <= MostTextBytes)
                    text.append(block.data(), got);
            } else {
                // Standard input that is no file: read as it comes.
                char block[65536];
                std::size_t got = 0;
                while ((got = std::fread(block, 1, sizeof block, stdin)) > 0 && text.size() <= MostTextBytes)
                    text.append(block, got);
                if (std::ferror(stdin))
                    input.failure = "cannot read standard input: " + ErrnoText(errno);
            }
        }
    } catch (const std::system_error& error) {
        input.failure = error.code().message();
    }
    // A PCG file where the text was to be (the two swapped, or the file given twice) is said so
    // at any size.
    if (input.failure.empty() && text.compare(0, 4, "KORG") == 0)
        input.failure = "a PCG file, not the text of a set list; the text comes second (scry setlist writes one)";
    if (input.failure.empty() && text.size() > MostTextBytes)
        input.failure = "too large for the text of a set list";
    return input;
}

[[noreturn]] void Exists(const std::string& name) { throw Trouble(LineText(name) + " exists; --force replaces it"); }

// The regular file under name is a set-list text exactly as scry wrote it.
bool IsUneditedSetListText(const std::string& name)
{
    std::string text(MostTextBytes + 1, '\0');
    text.resize(ReadFileStart(name, text.data(), text.size()));
    return text.size() <= MostTextBytes && IsUneditedText(text);
}

}   // namespace

Session::Session(Console& streams, const std::vector<std::string>& files, const std::string& out, OutputKind kind,
                 bool force, const std::vector<std::string>& textNames)
    : console(streams), output(out == "-" ? std::string() : out)
{
    if (std::count(files.begin(), files.end(), "-") + std::count(textNames.begin(), textNames.end(), "-") > 1)
        throw Trouble("standard input can be read only once");
    for (const std::string& name : files)
        inputs.push_back(Open(name, console));
    for (const std::string& name : textNames)
        texts.push_back(OpenText(name, console));
    CheckOutput(kind, force);
}

void Session::CheckOutput(OutputKind kind, bool force)
{
    if (kind == OutputKind::PcgFile && (output.empty() || IsStreamDevice(output)))
        throw Trouble("a new PCG file is written to a file: -o names it (not standard output, a FIFO or a device)");
    if (output.empty())
        return;
    // Nothing a command reads, no PCG file and no folder is ever written over. A link is replaced,
    // never followed: what it leads to is no concern but for an input.
    if (IsInput(output))
        CannotWrite(output, "it is an input of this command");
    const bool link = WhatNameHolds(output) == NameHolds::Link;
    switch (link ? ReplaceRefusal::None : RefusalToReplace(output, nullptr)) {
    case ReplaceRefusal::PcgFile:
        // A new PCG file with --force: the one there (an earlier output) is kept as a numbered backup.
        if (kind == OutputKind::PcgFile && force) {
            backupEarlier = true;
            break;
        }
        CannotWrite(output, kind == OutputKind::PcgFile
                                ? "it is a PCG file (it begins with KORG); name a new file, or --force keeps it "
                                  "as a numbered backup beside the new one"
                                : "it is a PCG file (it begins with KORG); name a new file");
    case ReplaceRefusal::Folder: CannotWrite(output, "it is a folder");
    case ReplaceRefusal::InputFile:
    case ReplaceRefusal::None: break;
    }
    // A FIFO or a terminal is written as a stream; any other file that stands there is replaced
    // only where its kind allows, or with --force.
    if (force || IsStreamDevice(output) || WhatNameHolds(output) == NameHolds::Nothing)
        return;
    if (kind == OutputKind::Page && IsPageOfScry(output))
        return;
    if (kind == OutputKind::SetListText && IsUneditedSetListText(output))
        return;
    Exists(output);
}

FileModel Session::Read(std::size_t i)
{
    Input& input = inputs.at(i);
    if (!input.failure.empty())
        throw Trouble(SourceName(input.name) + ": " + input.failure);
    FileModel model{};
    try {
        model = ReadModel(*input.stream, input.name);
    } catch (const Unreadable& unreadable) {
        throw Trouble(UnreadableText(input.name, unreadable));
    }
    return Taken(i, std::move(model));
}

FileModel Session::Taken(std::size_t i, FileModel model)
{
    const Input& input = inputs.at(i);
    if (model.Damaged()) {
        SayError(console, DamagedText(input.name, model.problems));
        status = Worst(status, Damaged);
    }
    return model;
}

std::vector<FileModel> Session::ReadTogether(std::size_t count)
{
    // Each file on a thread of its own but the last, which this one reads; what each thread met
    // is kept, and taken in file order once all are done.
    struct Reading {
        FileModel model{};
        std::exception_ptr failure;
    };
    std::vector<Reading> readings(count);
    const auto read = [&](std::size_t i) {
        try {
            const Input& input = inputs.at(i);
            if (input.failure.empty())
                readings[i].model = ReadModel(*input.stream, input.name);
        } catch (...) {
            readings[i].failure = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i + 1 < count; ++i)
        threads.emplace_back(read, i);
    if (count > 0)
        read(count - 1);
    for (std::thread& thread : threads)
        thread.join();
    std::vector<FileModel> models;
    for (std::size_t i = 0; i < count; ++i) {
        const Input& input = inputs.at(i);
        if (!input.failure.empty())
            throw Trouble(SourceName(input.name) + ": " + input.failure);
        try {
            if (readings[i].failure)
                std::rethrow_exception(readings[i].failure);
        } catch (const Unreadable& unreadable) {
            throw Trouble(UnreadableText(input.name, unreadable));
        }
        models.push_back(Taken(i, std::move(readings[i].model)));
    }
    return models;
}

std::vector<FileModel> Session::ReadEach()
{
    std::vector<FileModel> models;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        try {
            models.push_back(Read(i));
        } catch (const Trouble& trouble) {
            SayError(console, trouble.what());
            status = Worst(status, TroubleStatus);
        }
    }
    return models;
}

std::string Session::BytesOf(std::size_t i, std::int64_t offset, std::size_t count)
{
    const Input& input = inputs.at(i);
    if (!input.failure.empty())
        throw Trouble(SourceName(input.name) + ": " + input.failure);
    std::string bytes(count, '\0');
    try {
        bytes.resize(InputReadAt(*input.stream, offset, bytes.data(), count));
    } catch (const std::system_error& error) {
        throw Trouble(SourceName(input.name) + ": " + error.what());
    }
    return bytes;
}

std::string_view Session::WholeOf(std::size_t i, const FileModel& file)
{
    Input& input = inputs.at(i);
    if (!input.failure.empty())
        throw Trouble(SourceName(input.name) + ": " + input.failure);
    const auto size = static_cast<std::size_t>(file.size);
    const std::uint8_t* bytes = InputMemoryBytesAt(*input.stream, 0, size);
    if (bytes == nullptr)
        bytes = InputBytesAt(*input.stream, 0, size, input.hold);
    if (bytes == nullptr) {
        input.bytes = std::make_unique<std::string>(BytesOf(i, 0, size));
        bytes = reinterpret_cast<const std::uint8_t*>(input.bytes->data());
    }
    if (InputSize(*input.stream) != file.size || MappedInputShrank())
        throw Trouble(SourceName(input.name) + " changed while it was read");
    return {reinterpret_cast<const char*>(bytes), size};
}

FileModel Session::ReadWhole(std::size_t i, const char* command)
{
    FileModel file = Read(i);
    RequireWhole(file, command);
    return file;
}

void Session::RequireWhole(const FileModel& file, const char* command)
{
    if (file.Damaged())
        throw Trouble(NotWholeText(file.name, command));
}

ops::FileBytes Session::FileBytesOf(std::size_t i, const FileModel& file)
{
    return {file.name, WholeOf(i, file), inputs.at(i).stream.get()};
}

void Session::WritePcgCopy(const std::optional<ops::NewPcg>& made, const MadeVerdict& verdict, std::size_t i)
{
    if (MappedInputShrank())
        throw Trouble("an input changed while it was read; " + LineText(output) + " not written");
    if (verdict || !made)
        throw Trouble(LineText(output) + " not written: " + MadeFaultText(verdict));
    RemoveLeftBehind(output, console);
    std::string backup;
    try {
        backup = WriteReadBack(output, *inputs.at(i).stream, made->file, {}, backupEarlier);
    } catch (const NotWritten& why) {
        throw Trouble(LineText(output) + " not written: " + why.what());
    }
    if (backupEarlier && backup.empty())
        SayError(console, "wrote " + LineText(output) +
                              "; the earlier one was moved away by another program before it could be kept");
    else
        SayError(console, "wrote " + LineText(output) +
                              (backup.empty() ? "" : "; the earlier one is kept as " + LineText(backup)));
}

std::string Session::Text(std::size_t k)
{
    const Input& text = texts.at(k);
    if (!text.failure.empty())
        throw Trouble(SourceName(text.name) + ": " + text.failure);
    return *text.bytes;
}

SetListView Session::SetListOf(const FileModel& file, std::size_t number)
{
    const SetListView at = scry::SetListOf(file, number);
    if (at.bank == nullptr)
        throw Trouble(SourceName(file.name) + " holds no set lists");
    if (at.list == nullptr || !at.list->readable)
        throw Trouble(SourceName(file.name) + ": set list " + Pad3(static_cast<unsigned>(number)) + " cannot be read");
    NoteSetListBanks(file);
    return at;
}

void Session::NoteSetListBanks(const FileModel& file)
{
    const std::size_t banks = SetListBanks(file).size();
    if (banks > 1 && !saidSecondSetListBank) {
        SayError(console, "note: " + SourceName(file.name) + " holds " + std::to_string(banks) +
                              " set-list banks; set lists are read from the first, the others are not read");
        saidSecondSetListBank = true;
    }
}

int Session::SayIfEmpty(const FileModel& file, const SetListView& at)
{
    if (at.list == nullptr || HasUsedSlot(*at.list))
        return Success;
    SayError(console, EmptySetListText(file, at));
    return Differ;
}

bool Session::IsInput(const std::string& name) const
{
    const auto reads = [&](const Input& input) {
        return input.stream && RefusalToReplace(name, input.stream.get()) == ReplaceRefusal::InputFile;
    };
    return std::any_of(inputs.begin(), inputs.end(), reads) || std::any_of(texts.begin(), texts.end(), reads);
}

void Session::Deliver(std::string_view text) { Delivery(output, console).Finish(text); }

}   // namespace scry
