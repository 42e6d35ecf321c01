// The parts of the platform layer that are the same on every system: process arguments, memory
// streams, stream size, position and seek, wildcard matching, and raising I/O errors.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "Platform/InputStream.h"

namespace {

int processArgc = 0;
char** processArgv = nullptr;

}   // namespace

void RaiseIoError(const std::string& what, int error)
{
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(), what);
}

void SetProcessArgs(int argc, char** argv)
{
    processArgc = argc;
    processArgv = argv;
}

int ProcessArgCount() { return processArgc; }

const char* ProcessArg(int place)
{
    return (place >= 0 && place < processArgc && processArgv[place] != nullptr) ? processArgv[place] : "";
}

InputStream* OpenMemoryInput(const void* bytes, std::size_t size, const std::string& name)
{
    return new InputStream{0, static_cast<const std::uint8_t*>(bytes), static_cast<std::int64_t>(size), 0, name};
}

InputStream* OpenCallerInput(std::int64_t size, ReadAtFunction read, void* context, const std::string& name)
{
    auto* stream = new InputStream{0, nullptr, size, 0, name};
    stream->reader = read;
    stream->readerContext = context;
    return stream;
}

InputStream* OpenPiecedInput(const InputStream& source, const InputPieces& pieces, const std::string& name)
{
    auto* stream = new InputStream{0, nullptr, source.size, 0, name};
    stream->under = &source;
    stream->pieces = &pieces;
    return stream;
}

void OverlayPieces(const InputPieces& pieces, std::int64_t at, std::size_t length, std::uint8_t* into)
{
    const std::int64_t end = at + static_cast<std::int64_t>(length);
    auto it = pieces.upper_bound(at);
    if (it != pieces.begin())
        --it;
    for (; it != pieces.end() && it->first < end; ++it) {
        const std::int64_t from = std::max(at, it->first);
        const std::int64_t to = std::min(end, it->first + static_cast<std::int64_t>(it->second.size()));
        if (from < to)
            std::memcpy(into + (from - at), it->second.data() + (from - it->first),
                        static_cast<std::size_t>(to - from));
    }
}

void CloseInput(InputStream* stream) noexcept
{
    if (stream == nullptr)
        return;
    if (IsFileStream(*stream) && stream->reader == nullptr)
        CloseFileHandle(*stream);
    delete stream;
}

std::int64_t InputSize(const InputStream& stream) { return stream.size; }

std::int64_t InputPosition(const InputStream& stream) { return stream.position; }

namespace {

// Reads of a file below this size go through the read-ahead buffer; larger ones (banks) go
// straight to their destination.
constexpr std::size_t ReadAheadSize = std::size_t{1} << 16;
constexpr std::size_t DirectReadMinimum = ReadAheadSize / 4;

// A file's bytes by the system's calls, or a new file's: its source's with its pieces over them.
std::size_t ReadStreamAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count)
{
    if (stream.reader != nullptr)
        return stream.reader(stream.readerContext, offset, buffer, count);
    if (stream.under == nullptr)
        return ReadFileAt(stream, offset, buffer, count);
    const std::size_t done = InputReadAt(*stream.under, offset, buffer, count);
    OverlayPieces(*stream.pieces, offset, done, static_cast<std::uint8_t*>(buffer));
    return done;
}

std::size_t ReadAhead(InputStream& stream, void* buffer, std::size_t count)
{
    const std::int64_t end = stream.position + static_cast<std::int64_t>(count);
    if (stream.position < stream.aheadAt || end > stream.aheadAt + static_cast<std::int64_t>(stream.aheadLength)) {
        stream.ahead.resize(ReadAheadSize);
        stream.aheadAt = stream.position;
        stream.aheadLength = 0;   // a failed read leaves nothing to be served later
        stream.aheadLength = ReadStreamAt(stream, stream.position, stream.ahead.data(), ReadAheadSize);
    }
    const std::int64_t available = stream.aheadAt + static_cast<std::int64_t>(stream.aheadLength) - stream.position;
    const std::size_t done = available <= 0 ? 0 : std::min(count, static_cast<std::size_t>(available));
    std::memcpy(buffer, stream.ahead.data() + (stream.position - stream.aheadAt), done);
    return done;
}

}   // namespace

std::size_t InputRead(InputStream& stream, void* buffer, std::size_t count)
{
    // A file, or a new file over one, is read a run ahead for small reads, as a walk makes them.
    std::size_t done = 0;
    if (!IsFileStream(stream) && stream.under == nullptr)
        done = InputReadAt(stream, stream.position, buffer, count);
    else if (count >= DirectReadMinimum)
        done = ReadStreamAt(stream, stream.position, buffer, count);
    else
        done = ReadAhead(stream, buffer, count);
    stream.position += static_cast<std::int64_t>(done);
    return done;
}

const std::uint8_t* InputBytesAt(const InputStream& stream, std::int64_t offset, std::size_t count, InputHold& hold)
{
    if (!stream.view || offset < 0 || offset > stream.size || count > static_cast<std::size_t>(stream.size - offset))
        return nullptr;
    hold = stream.view;
    return stream.bytes + offset;
}

const std::uint8_t* InputMemoryBytesAt(const InputStream& stream, std::int64_t offset, std::size_t count)
{
    if (IsFileStream(stream) || stream.under != nullptr || offset < 0 || offset > stream.size ||
        count > static_cast<std::size_t>(stream.size - offset))
        return nullptr;
    return stream.bytes + offset;
}

void RaiseInputShrank(const InputStream& stream)
{
    throw InputShrankError(EIO, std::generic_category(),
                           "cannot read " + stream.name + ": the file shrank while it was read");
}

std::size_t InputReadAt(const InputStream& stream, std::int64_t offset, void* buffer, std::size_t count)
{
    // A file is read by the system's calls, mapped or not: its copy into a small buffer is quicker
    // than reading the mapped pages in place where every page costs a fault or a table walk.
    if (IsFileStream(stream) || stream.under != nullptr)
        return ReadStreamAt(stream, offset, buffer, count);
    if (offset < 0 || offset >= stream.size)
        return 0;
    const std::size_t done = std::min(count, static_cast<std::size_t>(stream.size - offset));
    std::memcpy(buffer, stream.bytes + offset, done);
    return done;
}

void InputSeek(InputStream& stream, std::int64_t offset, bool fromStart)
{
    const std::int64_t target = fromStart ? offset : stream.position + offset;
    if (target < 0)
        RaiseIoError("cannot seek before the start of " + stream.name, EINVAL);
    stream.position = target;
}

bool InputLiesNowhereWhole(const InputStream& stream) { return stream.under != nullptr; }

bool IsInputFile(const InputStream& stream, const std::string& path)
{
    return IsFileStream(stream) && stream.reader == nullptr && IsSameFile(stream, path);
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Backtracks to the last "*" on a mismatch, letting it take one more byte.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
