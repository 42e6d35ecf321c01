// The console.
#include "command/Console.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "Platform/Platform.h"
#include "text/Text.h"

namespace scry {

namespace {

int Rank(int status)
{
    switch (status) {
    case TroubleStatus: return 3;
    case Damaged: return 2;
    case Differ: return 1;
    default: return 0;
    }
}

}   // namespace

int Worst(int a, int b) { return Rank(a) >= Rank(b) ? a : b; }

std::string ErrnoText(int error) { return std::system_category().message(error != 0 ? error : EIO); }

[[noreturn]] void CannotWrite(const std::string& name, const std::string& why)
{
    throw Trouble("cannot write " + LineText(name) + ": " + why);
}

void WriteOut(Console& console, std::string_view text)
{
    if (console.out != nullptr) {
        console.out->append(text);
        return;
    }
    if (StandardStreamWasClosed(1))
        throw Trouble("cannot write to standard output: " + ErrnoText(EBADF));
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0 ||
        std::ferror(stdout))
        throw Trouble("cannot write to standard output: " + ErrnoText(errno));
}

void SayError(Console& console, std::string_view line)
{
    std::string text = "scry: ";
    text += line;
    text += '\n';
    if (console.err != nullptr)
        console.err->append(text);
    else
        std::fputs(text.c_str(), stderr);
}

}   // namespace scry
