// Checked writes to the log and to the two listings, wherever each is pointed.
#include "Output/Output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <system_error>
#include <vector>

Listing ReportFile{};
Listing SetsCsvFile{};
LineBlock ReportBlock{{}, 0, &ReportFile};
LineBlock CsvBlock{{}, 0, &SetsCsvFile};

namespace {

constexpr std::size_t StandardOutputBufferSize = std::size_t{1} << 16;
char StandardOutputBuffer[StandardOutputBufferSize];

// Where the log goes: a file (standard output at start), a text, or, with neither, nowhere.
std::FILE* LogFile = stdout;
const char* LogFileName = "standard output";
std::string* LogText = nullptr;

// Where listings go: files by default; otherwise the two texts, or nowhere when both are null.
bool ListingFiles = true;
std::string* ReportText = nullptr;
std::string* CsvText = nullptr;

// Set when creating, writing or closing a listing of the current input failed: its files are
// then removed instead of put in place.
bool ListingFailed = false;

// Formats into a stack buffer, or a heap one for the rare long line.
void LogFormatted(const char* format, std::va_list args, bool endLine)
{
    if (LogFile == nullptr && LogText == nullptr)
        return;   // nowhere: not even formatted
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

// A listing never replaces the input, a PCG file, a folder, nor a FIFO, device or socket; each
// name is looked at before either listing is created, and nothing here blocks.
void RefuseListingName(const InputStream& input, const std::string& name)
{
    RefuseToReplace(name, &input);
    if (WhatNameHolds(name) == NameHolds::OtherKind)
        RaiseIoError("cannot create " + name + " (not a regular file)", EEXIST);
}

void OpenListing(Listing& listing, const std::string& name, std::string* text)
{
    listing.out = OutFile{name, nullptr, {}};
    listing.memory = nullptr;
    if (ListingFiles) {
        CreateOutFile(listing.out);
    } else if (text != nullptr) {
        text->clear();
        listing.memory = text;
    }
    listing.open = true;
}

// Closes an open listing; raises, marking the input's listings failed, when its lines could
// not all be written.
void CloseListing(Listing& listing)
{
    listing.open = false;
    listing.memory = nullptr;
    try {
        CloseOutFile(listing.out);
    } catch (...) {
        ListingFailed = true;
        throw;
    }
}

// Puts both files in place, or, where a listing failed, removes both. Gives the error of a
// rename that failed (the other file is then removed as well), or none.
std::exception_ptr SettleListings() noexcept
{
    std::exception_ptr failure;
    for (Listing* listing : {&ReportFile, &SetsCsvFile}) {
        if (ListingFailed) {
            DiscardOutFile(listing->out);
            continue;
        }
        try {
            PutOutFileInPlace(listing->out);
        } catch (...) {
            ListingFailed = true;
            failure = std::current_exception();
        }
    }
    return failure;
}

}   // namespace

void LogToFile(std::FILE* file, const char* name)
{
    LogFile = file;
    LogFileName = name;
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

LogTarget CurrentLog() { return {LogFile, LogFileName, LogText}; }

void LogTo(const LogTarget& target)
{
    LogFile = target.file;
    LogFileName = target.fileName;
    LogText = target.text;
}

void WriteLog(const char* text, std::size_t length)
{
    if (LogText != nullptr) {
        LogText->append(text, length);
    } else if (LogFile != nullptr) {
        errno = 0;
        if (std::fwrite(text, 1, length, LogFile) != length)
            RaiseIoError(std::string("cannot write to ") + LogFileName, errno);
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
        RaiseIoError(std::string("cannot write to ") + LogFileName, errno);
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
    ListingFailed = false;
    if (ListingFiles) {
        RefuseListingName(input, reportName);
        RefuseListingName(input, csvName);
    }
    OpenListing(ReportFile, reportName, ReportText);
    try {
        OpenListing(SetsCsvFile, csvName, CsvText);
    } catch (...) {
        // Nothing is left of the report either: whatever stood under its name stays.
        ReportFile.open = false;
        DiscardOutFile(ReportFile.out);
        throw;
    }
}

void CloseListings()
{
    CloseListing(ReportFile);
    LogLine("Closing: %s", ReportFile.out.name.c_str());
    CloseListing(SetsCsvFile);
    LogLine("Closing: %s", SetsCsvFile.out.name.c_str());
    if (const std::exception_ptr failure = SettleListings())
        std::rethrow_exception(failure);
}

void CloseOpenListings(Listing* /*first*/) noexcept
{
    for (Listing* listing : {&ReportFile, &SetsCsvFile}) {
        if (!listing->open)
            continue;
        try {
            CloseListing(*listing);
        } catch (...) {
        }
        try {
            LogLine("Closing: %s", listing->out.name.c_str());
        } catch (...) {
        }
    }
    SettleListings();
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
    } else if (listing.out.file != nullptr) {
        try {
            WriteOutFile(listing.out, block.data, length);
        } catch (...) {
            ListingFailed = true;
            throw;
        }
    }
}
