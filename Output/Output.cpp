// Checked writes to the log and to the two listings, wherever each is pointed.
#include "Output/Output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <system_error>
#include <vector>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

Listing ReportFile{};
Listing SetsCsvFile{};
LineBlock ReportBlock{{}, 0, &ReportFile};
LineBlock CsvBlock{{}, 0, &SetsCsvFile};

namespace {

constexpr std::size_t StandardOutputBufferSize = std::size_t{1} << 16;
char StandardOutputBuffer[StandardOutputBufferSize];

// Where the log goes: a file (standard output at start), a text, or, with neither, nowhere.
std::FILE* LogFile = stdout;
std::string* LogText = nullptr;

// Where listings go: files by default; otherwise the two texts, or nowhere when both are null.
bool ListingFiles = true;
std::string* ReportText = nullptr;
std::string* CsvText = nullptr;

// Formats into a stack buffer, or a heap one for the rare long line.
void LogFormatted(const char* format, std::va_list args, bool endLine)
{
    char text[512];
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    if (length < 0) {
        va_end(again);
        RaiseIoError("cannot format a log line", EINVAL);
    }
    if (static_cast<std::size_t>(length) < sizeof text) {
        WriteLog(text, static_cast<std::size_t>(length));
    } else {
        std::vector<char> big(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(big.data(), big.size(), format, again);
        WriteLog(big.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
    if (endLine)
        LogLineEnd();
}

// A listing file must never replace the input, nor any other PCG file. Nothing here blocks,
// whatever stands under the name.
void RefuseToOverwrite(const InputStream& input, const std::string& name)
{
    if (IsInputFile(input, name))
        RaiseIoError("cannot create " + name + ": it is the input file", EEXIST);
    if (IsPcgFile(name))
        RaiseIoError("cannot create " + name + ": it is a PCG file", EEXIST);
}

void OpenListing(Listing& listing, const std::string& name, std::string* text)
{
    listing.name = name;
    listing.file = nullptr;
    listing.memory = nullptr;
    listing.temporary.clear();
    if (ListingFiles) {
        // Only a regular file or a link is ever replaced: a folder, a FIFO, a device or a socket
        // under the name is refused as creating a file there would be.
        const NameHolds holds = WhatNameHolds(name);
        if (holds == NameHolds::Folder)
            RaiseIoError("cannot create " + name, EISDIR);
        if (holds == NameHolds::OtherKind)
            RaiseIoError("cannot create " + name + " (not a regular file)", EEXIST);
        listing.file = CreateFileBeside(name, listing.temporary);
        // Lines reach the file in whole blocks already, so stdio adds no buffer of its own.
        std::setvbuf(listing.file, nullptr, _IONBF, 0);
    } else if (text != nullptr) {
        text->clear();
        listing.memory = text;
    }
    listing.open = true;
}

// Closes an open listing and puts a file in place under its name, also after a failed write;
// raises when its lines could not all be written or it could not be put in place.
void CloseListing(Listing& listing)
{
    listing.open = false;
    std::FILE* closing = listing.file;
    listing.file = nullptr;
    listing.memory = nullptr;
    if (closing == nullptr)
        return;
    errno = 0;
    const bool failed = std::ferror(closing) != 0;
    const bool closed = std::fclose(closing) == 0;
    const int error = errno;
    PutInPlace(listing.temporary, listing.name);
    if (!closed || failed)
        RaiseIoError("cannot write " + listing.name, error);
}

// The error path's close: whatever happens, nothing is raised.
void CloseListingQuietly(Listing& listing) noexcept
{
    listing.open = false;
    listing.memory = nullptr;
    if (listing.file == nullptr)
        return;
    std::fclose(listing.file);
    listing.file = nullptr;
    try {
        PutInPlace(listing.temporary, listing.name);
    } catch (...) {
    }
}

}   // namespace

void RaiseIoError(const std::string& what, int error)
{
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(), what);
}

void LogToFile(std::FILE* file)
{
    LogFile = file;
    LogText = nullptr;
}

void LogToMemory(std::string& text)
{
    LogFile = nullptr;
    LogText = &text;
}

void LogToNowhere()
{
    LogFile = nullptr;
    LogText = nullptr;
}

void WriteLog(const char* text, std::size_t length)
{
    if (LogText != nullptr) {
        LogText->append(text, length);
    } else if (LogFile != nullptr) {
        errno = 0;
        if (std::fwrite(text, 1, length, LogFile) != length)
            RaiseIoError("cannot write to standard output", errno);
    }
}

void LogPiece(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    LogFormatted(format, args, false);
    va_end(args);
}

void LogLine(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    LogFormatted(format, args, true);
    va_end(args);
}

void LogLineEnd() { WriteLog("\r\n", 2); }

void BufferStandardOutput() { std::setvbuf(stdout, StandardOutputBuffer, _IOFBF, StandardOutputBufferSize); }

void FlushLog()
{
    if (LogFile == nullptr)
        return;
    errno = 0;
    if (std::fflush(LogFile) != 0 || std::ferror(LogFile))
        RaiseIoError("cannot write to standard output", errno);
}

bool IsPcgFile(const std::string& name)
{
    ChunkId magic = 0;
    return ReadFileStart(name, &magic, sizeof magic) == sizeof magic && magic == KORG;
}

void ListingsToFiles()
{
    ListingFiles = true;
    ReportText = CsvText = nullptr;
}

void ListingsToMemory(std::string& report, std::string& csv)
{
    ListingFiles = false;
    ReportText = &report;
    CsvText = &csv;
}

void ListingsToNowhere()
{
    ListingFiles = false;
    ReportText = CsvText = nullptr;
}

void OpenListings(const InputStream& input, const std::string& reportName)
{
    const std::string csvName = reportName + SetsCsvSuffix;
    if (ListingFiles) {
        RefuseToOverwrite(input, reportName);
        RefuseToOverwrite(input, csvName);
    }
    OpenListing(ReportFile, reportName, ReportText);
    try {
        OpenListing(SetsCsvFile, csvName, CsvText);
    } catch (...) {
        // The report stands created, empty, as the CSV's failure finds it.
        CloseListingQuietly(ReportFile);
        throw;
    }
}

void CloseListings()
{
    CloseListing(ReportFile);
    LogLine("Closing: %s", ReportFile.name.c_str());
    CloseListing(SetsCsvFile);
    LogLine("Closing: %s", SetsCsvFile.name.c_str());
}

void CloseOpenListings(Listing* /*first*/) noexcept
{
    for (Listing* listing : {&ReportFile, &SetsCsvFile}) {
        if (!listing->open)
            continue;
        CloseListingQuietly(*listing);
        try {
            LogLine("Closing: %s", listing->name.c_str());
        } catch (...) {
        }
    }
}

char* LineStart(LineBlock& block)
{
    if (BlockSize - block.used < LineCapacity)
        WriteBlock(block);
    return block.data + block.used;
}

void LineDone(LineBlock& block, const char* end) { block.used = static_cast<std::size_t>(end - block.data); }

void WriteBlock(LineBlock& block)
{
    const std::size_t length = block.used;
    block.used = 0;   // a failed write loses the block with the file; nothing is carried on
    Listing& listing = *block.listing;
    if (length == 0)
        return;
    if (listing.memory != nullptr) {
        listing.memory->append(block.data, length);
    } else if (listing.file != nullptr) {
        errno = 0;
        if (std::fwrite(block.data, 1, length, listing.file) != length)
            RaiseIoError("cannot write " + listing.name, errno);
    }
}
