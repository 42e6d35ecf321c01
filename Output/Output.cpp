// Checked writes to the log and to the two listings, wherever each is pointed.
#include "Output/Output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
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

// A listing file must never replace the input, nor any other PCG file.
void RefuseToOverwrite(const InputStream& input, const std::string& name)
{
    if (IsInputFile(input, name))
        RaiseIoError("cannot create " + name + ": it is the input file", EEXIST);
    if (std::FILE* existing = std::fopen(name.c_str(), "rb")) {
        char magic[4] = {};
        const std::size_t got = std::fread(magic, 1, sizeof magic, existing);
        std::fclose(existing);
        if (got == sizeof magic && std::memcmp(magic, "KORG", 4) == 0)
            RaiseIoError("cannot create " + name + ": it is a PCG file", EEXIST);
    }
}

void OpenListing(Listing& listing, const std::string& name, std::string* text)
{
    listing.name = name;
    listing.file = nullptr;
    listing.memory = nullptr;
    if (ListingFiles) {
        errno = 0;
        listing.file = std::fopen(name.c_str(), "wb");
        if (listing.file == nullptr)
            RaiseIoError("cannot create " + name, errno);
        // Lines reach the file in whole blocks already, so stdio adds no buffer of its own.
        std::setvbuf(listing.file, nullptr, _IONBF, 0);
    } else if (text != nullptr) {
        text->clear();
        listing.memory = text;
    }
    listing.open = true;
}

// Closes an open listing; raises when a file's buffered lines could not be written.
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
    if (std::fclose(closing) != 0 || failed)
        RaiseIoError("cannot write " + listing.name, errno);
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
        if (ReportFile.file != nullptr)
            std::fclose(ReportFile.file);
        ReportFile.file = nullptr;
        ReportFile.open = false;
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
        if (listing->file != nullptr)
            std::fclose(listing->file);
        listing->file = nullptr;
        listing->memory = nullptr;
        listing->open = false;
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
