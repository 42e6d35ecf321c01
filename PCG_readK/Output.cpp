// Checked writes to standard output and the report text files.
#include "PCG_readK/Output.h"

#include <cerrno>
#include <cstdarg>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t ConsoleBufferSize = std::size_t{1} << 16;
char ConsoleBuffer[ConsoleBufferSize];

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
        WriteConsole(text, static_cast<std::size_t>(length));
    } else {
        std::vector<char> big(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(big.data(), big.size(), format, again);
        WriteConsole(big.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
    if (endLine)
        LogLineEnd();
}

} // namespace

void RaiseIoError(const std::string& what, int error)
{
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(), what);
}

void WriteConsole(const char* text, std::size_t length)
{
    errno = 0;
    if (std::fwrite(text, 1, length, stdout) != length)
        RaiseIoError("cannot write to standard output", errno);
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

void LogLineEnd() { WriteConsole("\r\n", 2); }

void BufferConsole() { std::setvbuf(stdout, ConsoleBuffer, _IOFBF, ConsoleBufferSize); }

void FlushConsole()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        RaiseIoError("cannot write to standard output", errno);
}

std::FILE* CreateOutputFile(const std::string& name)
{
    errno = 0;
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        RaiseIoError("cannot create " + name, errno);
    // Lines reach the file in large blocks already (ListBank's), so stdio adds no buffer of its own.
    std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

void WriteFileLine(std::FILE* file, const std::string& name, const char* line, std::size_t length)
{
    errno = 0;
    if (std::fwrite(line, 1, length, file) != length)
        RaiseIoError("cannot write " + name, errno);
}

void CloseOutputFile(std::FILE*& file, const std::string& name)
{
    std::FILE* closing = file;
    file = nullptr;
    errno = 0;
    const bool failed = std::ferror(closing) != 0;
    if (std::fclose(closing) != 0 || failed)
        RaiseIoError("cannot write " + name, errno);
}
