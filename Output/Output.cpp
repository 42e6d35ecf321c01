// Checked writes to the log and to the two listings, wherever each is pointed.
#include "Output/Output.h"

#include "StStrL/LineFormat.h"

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

// Set when creating, writing or closing a listing of the current input failed, or its listings
// are to be discarded: its files are then removed instead of put in place.
bool ListingFailed = false;

// Log lines wait here and reach the log's file a large block at a time.
constexpr std::size_t LogBlockSize = std::size_t{1} << 16;
std::string LogPending;

void WritePending()
{
    if (LogPending.empty() || LogFile == nullptr)
        return;
    errno = 0;
    const bool written = std::fwrite(LogPending.data(), 1, LogPending.size(), LogFile) == LogPending.size();
    LogPending.clear();
    if (!written)
        RaiseIoError(std::string("cannot write to ") + LogFileName, errno);
}

// Before the log goes to another file, what waits goes to the one it was meant for.
void WritePendingBefore(std::FILE* next) noexcept
{
    if (next == LogFile)
        return;
    try {
        WritePending();
    } catch (...) {
        LogPending.clear();
    }
}

// Where the next piece of the log is appended; null for nowhere.
std::string* LogDestination()
{
    if (LogText != nullptr)
        return LogText;
    return LogFile != nullptr ? &LogPending : nullptr;
}

void LogFormatted(const char* format, std::va_list args, bool endLine)
{
    std::string* out = LogDestination();
    if (out == nullptr)
        return;   // nowhere: not even formatted
    AppendLogFormat(*out, format, args);
    if (endLine)
        out->append("\r\n", 2);
    if (out == &LogPending && LogPending.size() >= LogBlockSize)
        WritePending();
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
    WritePendingBefore(file);
    LogFile = file;
    LogFileName = name;
    LogText = nullptr;
}

void LogToMemory(std::string& text)
{
    WritePendingBefore(nullptr);
    LogFile = nullptr;
    LogText = &text;
}

void LogToNowhere()
{
    WritePendingBefore(nullptr);
    LogFile = nullptr;
    LogText = nullptr;
}

LogTarget CurrentLog() { return {LogFile, LogFileName, LogText}; }

void LogTo(const LogTarget& target)
{
    WritePendingBefore(target.file);
    LogFile = target.file;
    LogFileName = target.fileName;
    LogText = target.text;
}

void WriteLog(const char* text, std::size_t length)
{
    std::string* out = LogDestination();
    if (out == nullptr)
        return;
    out->append(text, length);
    if (out == &LogPending && LogPending.size() >= LogBlockSize)
        WritePending();
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
    WritePending();
    errno = 0;
    if (std::fflush(LogFile) != 0 || std::ferror(LogFile))
        RaiseIoError(std::string("cannot write to ") + LogFileName, errno);
}

void AppendLogFormat(std::string& out, const char* format, std::va_list args)
{
    char number[32];
    for (const char* at = format; *at != '\0';) {
        if (*at != '%') {
            const char* next = std::strchr(at, '%');
            const std::size_t length = next == nullptr ? std::strlen(at) : static_cast<std::size_t>(next - at);
            out.append(at, length);
            at += length;
            continue;
        }
        ++at;
        if (*at == '%') {
            out += '%';
            ++at;
            continue;
        }
        std::size_t width = 0;
        for (; *at >= '0' && *at <= '9'; ++at)
            width = width * 10 + static_cast<std::size_t>(*at - '0');
        int precision = -1;
        if (*at == '.') {
            precision = 0;
            for (++at; *at >= '0' && *at <= '9'; ++at)
                precision = precision * 10 + (*at - '0');
        }
        enum { Plain, Long, LongLong, Size } length = Plain;
        if (*at == 'z') {
            length = Size;
            ++at;
        } else if (at[0] == 'l' && at[1] == 'l') {
            length = LongLong;
            at += 2;
        } else if (*at == 'l') {
            length = Long;
            ++at;
        }
        const char conversion = *at++;
        const char* text = number;
        std::size_t textLength = 0;
        switch (conversion) {
        case 's': {
            // "%.4s" may name four bytes with no NUL after them: never read past the precision.
            text = va_arg(args, const char*);
            if (precision < 0) {
                textLength = std::strlen(text);
            } else {
                while (textLength < static_cast<std::size_t>(precision) && text[textLength] != '\0')
                    ++textLength;
            }
            break;
        }
        case 'd': {
            long long value = length == LongLong ? va_arg(args, long long)
                              : length == Long   ? va_arg(args, long)
                              : length == Size   ? static_cast<long long>(va_arg(args, std::size_t))
                                                 : va_arg(args, int);
            char* end = number;
            if (value < 0)
                *end++ = '-';
            const unsigned long long magnitude =
                value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
            end = PutDec(end, magnitude, precision < 0 ? 1 : precision);
            textLength = static_cast<std::size_t>(end - number);
            break;
        }
        case 'u':
        case 'X': {
            const unsigned long long value = length == LongLong ? va_arg(args, unsigned long long)
                                             : length == Long   ? va_arg(args, unsigned long)
                                             : length == Size   ? va_arg(args, std::size_t)
                                                                : va_arg(args, unsigned);
            const int digits = precision < 0 ? 1 : precision;
            char* end = conversion == 'u' ? PutDec(number, value, digits)
                                          : PutHexWide(number, value, digits);
            textLength = static_cast<std::size_t>(end - number);
            break;
        }
        default: RaiseIoError(std::string("cannot format a log line: no %") + conversion + " here", EINVAL);
        }
        if (width > textLength)
            out.append(width - textLength, ' ');
        out.append(text, textLength);
    }
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

void DiscardListings() { ListingFailed = true; }

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
