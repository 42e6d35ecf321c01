// Checked output: log lines on standard output and lines of the two report text files.
// Every failed write or close raises std::system_error naming what failed.
#pragma once

#include <cstdio>
#include <string>

#if defined(__MINGW_PRINTF_FORMAT)
#define BANKSCRY_PRINTF(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__)
#define BANKSCRY_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define BANKSCRY_PRINTF(f, a)
#endif

[[noreturn]] void RaiseIoError(const std::string& what, int error);

// Writes bytes to standard output.
void WriteConsole(const char* text, std::size_t length);
// printf-like log text without a line end; the next write completes the line.
void LogPiece(const char* format, ...) BANKSCRY_PRINTF(1, 2);
// printf-like log line, ended with CR LF.
void LogLine(const char* format, ...) BANKSCRY_PRINTF(1, 2);
void LogLineEnd();
// Gives standard output a large buffer of its own; called before anything is written to it.
void BufferConsole();
// Flushes standard output; raises when anything written to it was lost.
void FlushConsole();

// Creates (or truncates) a text file for writing; raises when that fails.
std::FILE* CreateOutputFile(const std::string& name);
// Writes one whole line, its CR LF included, to an output file.
void WriteFileLine(std::FILE* file, const std::string& name, const char* line, std::size_t length);
// Closes an open output file and nulls it; raises when buffered lines could not be written.
void CloseOutputFile(std::FILE*& file, const std::string& name);
