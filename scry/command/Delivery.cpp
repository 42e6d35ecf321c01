// Delivery: text and pages to where they go, new PCG files written and read back.
#include "command/Delivery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "Platform/Platform.h"
#include "StStrL/StStrL.h"
#include "text/CarryText.h"
#include "text/Text.h"
#include "text/Words.h"

namespace scry {

namespace {

// Files are written and read back a run at a time.
constexpr std::size_t Run = std::size_t{1} << 18;

// The source's bytes [at, at + length), as the stream holds them, with made's pieces over them.
bool ReadMade(const InputStream& source, const NewFile& made, std::int64_t at, std::size_t length, std::uint8_t* into)
{
    if (InputReadAt(source, at, into, length) != length)
        return false;
    made.Overlay(at, length, into);
    return true;
}

}   // namespace

Delivery::Delivery(const std::string& name, Console& streams) : output(name), console(streams)
{
    if (name.empty())
        return;
    if (IsStreamDevice(name)) {
        // A name that leads to one of the process's descriptors is written through it, as it
        // stands: opened again by name, a file the shell opened to append to would be cut to
        // nothing first.
        const int descriptor = DescriptorNameLeadsTo(name);
        if (descriptor == 1) {
            toStandardOutput = true;
            return;
        }
        stream = descriptor >= 0 ? OpenDescriptorStream(descriptor) : std::fopen(name.c_str(), "wb");
        if (stream == nullptr)
            CannotWrite(name, ErrnoText(errno));
        return;
    }
    file.name = name;
    file.maker = "scry";
    RemoveLeftBehind(name, console);
    try {
        CreateOutFile(file);
    } catch (const std::system_error& error) {
        DiscardOutFile(file);
        CannotWrite(name, error.code().message());
    }
}

Delivery::~Delivery()
{
    if (stream != nullptr)
        std::fclose(stream);
    DiscardOutFile(file);
}

void Delivery::HandOn(std::string_view text)
{
    if (text.empty())
        return;
    const std::string& name = output;
    if (name.empty() || toStandardOutput) {
        WriteOut(console, text);
    } else if (stream != nullptr) {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), stream) != text.size())
            CannotWrite(name, ErrnoText(errno));
    } else {
        try {
            WriteOutFile(file, text.data(), text.size());
        } catch (const std::system_error& error) {
            CannotWrite(name, error.code().message());
        }
    }
}

void Delivery::Part(std::string& text)
{
    if (text.size() < Block)
        return;
    HandOn(text);
    text.clear();
}

void Delivery::Finish(std::string_view rest)
{
    HandOn(rest);
    const std::string& name = output;
    if (stream != nullptr) {
        errno = 0;
        const bool closed = std::fclose(stream) == 0;
        stream = nullptr;
        if (!closed)
            CannotWrite(name, ErrnoText(errno));
    } else if (!name.empty() && !toStandardOutput) {
        try {
            CloseOutFile(file);
            PutOutFileInPlace(file);
        } catch (const std::system_error& error) {
            DiscardOutFile(file);
            CannotWrite(name, error.code().message());
        }
    }
}

void RemoveLeftBehind(const std::string& output, Console& console)
{
    for (const std::string& name : RemoveFilesBesideLeftBehind(output, "scry"))
        SayError(console,
                 "removed " + LineText(name) + ", a part of a file that a run of scry left when it was stopped");
}

std::string WriteReadBack(const std::string& output, const InputStream& source, const NewFile& made,
                          const std::function<ReadBackFault(const FileModel&)>& check, bool keepEarlier)
{
    const auto size = static_cast<std::size_t>(made.Size());
    std::unique_ptr<std::uint8_t[]> meantRun(new std::uint8_t[Run]), readRun(new std::uint8_t[Run]);
    OutFile out{output, nullptr, {}, "scry"};
    try {
        CreateOutFile(out);
        for (std::size_t at = 0; at < size; at += Run) {
            const std::size_t length = std::min(Run, size - at);
            if (!ReadMade(source, made, static_cast<std::int64_t>(at), length, meantRun.get()))
                throw std::system_error(std::make_error_code(std::errc::io_error));
            WriteOutFile(out, reinterpret_cast<const char*>(meantRun.get()), length);
        }
        CloseOutFile(out);
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        throw NotWritten(error.code().message());
    }
    std::string wrong;
    try {
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> written(OpenInput(out.temporary), &CloseInput);
        // Every byte read back is the one meant, and there are no more.
        for (std::size_t at = 0; at < size && wrong.empty(); at += Run) {
            const std::size_t length = std::min(Run, size - at);
            if (!ReadMade(source, made, static_cast<std::int64_t>(at), length, meantRun.get()) ||
                InputReadAt(*written, static_cast<std::int64_t>(at), readRun.get(), length) != length ||
                std::memcmp(meantRun.get(), readRun.get(), length) != 0)
                wrong = "the bytes read back are not those written";
        }
        std::uint8_t more = 0;
        if (wrong.empty() && InputReadAt(*written, static_cast<std::int64_t>(size), &more, 1) != 0)
            wrong = "the bytes read back are not those written";
        if (wrong.empty() && check)
            wrong = ReadBackText(check(ReadModel(*written, output)));
    } catch (const Unreadable& unreadable) {
        wrong = std::string("it cannot be read back (") +
                (unreadable.what()[0] != '\0' ? unreadable.what() : "no PCG file") + ")";
    } catch (const std::exception& error) {
        wrong = std::string("it cannot be read back: ") + error.what();
    }
    if (!wrong.empty()) {
        DiscardOutFile(out);
        throw NotWritten(wrong);
    }
    try {
        if (keepEarlier)
            return PutOutFileInPlaceKeepingEarlier(out);
        PutOutFileInPlace(out);
        return "";
    } catch (const ReplaceError& error) {
        DiscardOutFile(out);
        if (error.keeping)
            throw NotWritten("the earlier " + LineText(output) + " cannot be kept as " + LineText(error.backup) + " (" +
                             error.code().message() + "); it stays as it was, under its name");
        throw NotWritten(error.code().message() + "; the earlier " + LineText(output) +
                         " stays as it was, under its name" + (error.backup.empty() ? "" : ", and no backup is left"));
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        throw NotWritten(error.code().message());
    }
}

bool IsPageOfScry(const std::string& name)
{
    constexpr std::string_view Generator = "<meta name=\"generator\" content=\"scry";
    char start[512];
    const std::size_t got = ReadFileStart(name, start, sizeof start);
    return std::string_view(start, got).find(Generator) != std::string_view::npos;
}

std::string PageNameBeside(const std::string& source, const std::string& suffix)
{
    if (source == "-")
        throw std::invalid_argument("a page of standard input needs -o PAGE.html");
    const std::string name = PathWithoutExtension(source) + suffix;
    // Only a page that scry wrote is ever written over without -o; nothing here blocks.
    if (WhatNameHolds(name) != NameHolds::Nothing && !IsPageOfScry(name))
        throw std::invalid_argument(LineText(name) +
                                    ": exists and is not a page written by scry; name the page with -o");
    return name;
}

std::string DefaultPageName(const std::vector<std::string>& files)
{
    return PageNameBeside(files.back(), files.size() == 2 ? "_diff.html" : ".html");
}

}   // namespace scry
