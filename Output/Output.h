// Checked output: the progress log, the two listings of an input and the blocks their lines are
// built in. The log and the listings go where the driver points them: by default standard output
// and files created by name; a test, the fuzz target or a second program points them at memory
// or nowhere. Every failed write or close raises std::system_error naming what failed.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

#include "OutFile/OutFile.h"
#include "Platform/Platform.h"

// ---- The log

// Standard output unless pointed elsewhere; memory appends to the text; nowhere drops it. A
// file's name is what an error in writing it says.
void LogToFile(std::FILE* file, const char* name = "standard output");
void LogToMemory(std::string& text);
void LogToNowhere();
// Where the log goes now, to be pointed back there after a while elsewhere.
struct LogTarget {
    std::FILE* file;
    const char* fileName;
    std::string* text;
};
LogTarget CurrentLog();
void LogTo(const LogTarget& target);

void WriteLog(const char* text, std::size_t length);
// printf-like log text without a line end; the next write completes the line.
void LogPiece(const char* format, ...) BANKSCRY_PRINTF(1, 2);
// printf-like log line, ended with CR LF.
void LogLine(const char* format, ...) BANKSCRY_PRINTF(1, 2);
void LogLineEnd();
// printf for the log's templates, appended to out: %s and %.Ns, %d, %u and %X with a width and a
// precision (%2.2X, %8.8X), and the length modifiers z, l and ll, as printf gives them; any other
// directive raises.
void AppendLogFormat(std::string& out, const char* format, std::va_list args);
// Gives standard output a large buffer of its own; called before anything is written to it.
void BufferStandardOutput();
// Flushes a log that goes to a file; raises when anything written to it was lost.
void FlushLog();

// ---- The listings

// One listing of the current input: a file written beside its name and put in place when the
// input is done (see OutFile.h), or a text in memory. Its name is what the log shows when it is
// closed.
struct Listing {
    OutFile out;             // out.name is the listing's name, whatever it goes to
    std::string* memory;
    bool open;               // its "Closing: " line is still to come
};

// The report and the CSV of the current input, open while ReadPCG runs; ListBank writes them.
extern Listing ReportFile;
extern Listing SetsCsvFile;

inline constexpr const char* SetsCsvSuffix = "_sets.csv";

// Where the listings of the next inputs go: files (the default), two texts, or nowhere.
void ListingsToFiles();
void ListingsToMemory(std::string& report, std::string& csv);
void ListingsToNowhere();

// Opens the report under reportName and the CSV under reportName + "_sets.csv". As files they
// never replace the input itself, a PCG file, a folder, a FIFO, a device or a socket; a failure
// raises with neither left open and nothing left on disk.
void OpenListings(const InputStream& input, const std::string& reportName);
// Normal end: closes the report, logs "Closing: " and its name, then the same for the CSV, then
// puts both files in place. A failed close raises; CloseOpenListings then settles the rest.
void CloseListings();
// The listings of this input are not to be put in place, whatever ends it.
void DiscardListings();
// Error path: closes whichever listing is still open, report first, each logged the same way,
// then settles the files: where creating, writing or closing a listing failed, both are removed
// and whatever stood under their names stays as it was; where the input or the log failed, both
// are put in place, as true listings of what was read. Never throws: an error is already on
// its way. Its argument only fits std::unique_ptr.
void CloseOpenListings(Listing* first) noexcept;

// ---- Blocks of lines

// Lines are formatted straight into a block per listing; the block is written out whole when
// the next line might not fit, and at the end of every bank.
inline constexpr std::size_t LineCapacity = 512;   // far above the longest line
inline constexpr std::size_t BlockSize = std::size_t{1} << 18;

struct LineBlock {
    char data[BlockSize];
    std::size_t used;
    Listing* listing;
};

extern LineBlock ReportBlock;   // lines for ReportFile
extern LineBlock CsvBlock;      // lines for SetsCsvFile

// Room for one more line at the end of the block; the caller writes it and calls LineDone.
char* LineStart(LineBlock& block);
void LineDone(LineBlock& block, const char* end);
// Writes what the block holds to its listing and empties it.
void WriteBlock(LineBlock& block);
