// Writing a new PCG file and reading it back.
#include "write/Written.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include "OutFile/OutFile.h"

namespace scry {

namespace {

// Files are written and read back a run at a time.
constexpr std::size_t Run = std::size_t{1} << 18;

std::string DiffersOutside(std::int64_t at)
{
    return "byte " + std::to_string(at) + " differs from the file it was made from, outside what was to change";
}

// The source's bytes [at, at + length), as the stream holds them, with made's pieces over them.
bool ReadMade(const InputStream& source, const NewFile& made, std::int64_t at, std::size_t length, std::uint8_t* into)
{
    if (InputReadAt(source, at, into, length) != length)
        return false;
    made.Overlay(at, length, into);
    return true;
}

}   // namespace

std::uint8_t* NewFile::Bytes(std::int64_t at, std::size_t length)
{
    auto end = at + static_cast<std::int64_t>(length);
    // The pieces it overlaps or touches are taken into one.
    auto first = pieces.upper_bound(at);
    if (first != pieces.begin() &&
        std::prev(first)->first + static_cast<std::int64_t>(std::prev(first)->second.size()) >= at)
        --first;
    auto last = first;
    std::int64_t from = at;
    while (last != pieces.end() && last->first <= end) {
        from = std::min(from, last->first);
        end = std::max(end, last->first + static_cast<std::int64_t>(last->second.size()));
        ++last;
    }
    if (first != last && first->first == from && std::next(first) == last &&
        first->first + static_cast<std::int64_t>(first->second.size()) == end)
        return reinterpret_cast<std::uint8_t*>(first->second.data() + (at - from));   // within one piece
    std::string piece(source.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end - from)));
    for (auto it = first; it != last; ++it)
        piece.replace(static_cast<std::size_t>(it->first - from), it->second.size(), it->second);
    pieces.erase(first, last);
    std::string& placed = pieces.emplace(from, std::move(piece)).first->second;
    return reinterpret_cast<std::uint8_t*>(placed.data() + (at - from));
}

void NewFile::Overlay(std::int64_t at, std::size_t length, std::uint8_t* into) const
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

void NewFile::WholeInto(std::string& into) const
{
    into.assign(source);
    Overlay(0, into.size(), reinterpret_cast<std::uint8_t*>(into.data()));
}

std::string NewFile::Read(std::int64_t at, std::size_t length) const
{
    std::string bytes(source.substr(static_cast<std::size_t>(at), length));
    Overlay(at, bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()));
    return bytes;
}

std::string ChangedOutside(std::string_view made, std::string_view source, std::vector<ByteRange> meant)
{
    if (made.size() != source.size())
        return "it is " + std::to_string(made.size()) + " bytes long, its source " + std::to_string(source.size());
    std::sort(meant.begin(), meant.end(), [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
    std::int64_t at = 0;
    const auto size = static_cast<std::int64_t>(made.size());
    const auto compare = [&](std::int64_t from, std::int64_t to) -> std::string {
        const auto first = static_cast<std::size_t>(from), count = static_cast<std::size_t>(to - from);
        if (count == 0 || std::memcmp(made.data() + first, source.data() + first, count) == 0)
            return "";
        const auto differ = std::mismatch(made.begin() + from, made.begin() + to, source.begin() + from);
        return DiffersOutside(differ.first - made.begin());
    };
    for (const ByteRange& range : meant) {
        const std::string found = compare(at, std::clamp(range.from, at, size));
        if (!found.empty())
            return found;
        at = std::max(at, std::min(range.to, size));
    }
    return compare(at, size);
}

std::string ChangedOutside(const NewFile& made, std::vector<ByteRange> meant)
{
    // Outside its pieces the new file is its source: only they are compared, where nothing was meant.
    std::sort(meant.begin(), meant.end(), [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
    const std::string_view source = made.Source();
    for (const auto& entry : made.Pieces()) {
        const std::int64_t offset = entry.first;
        const std::string& piece = entry.second;
        const std::int64_t end = offset + static_cast<std::int64_t>(piece.size());
        const auto compare = [&](std::int64_t from, std::int64_t to) -> std::string {
            if (from >= to)
                return "";
            const auto first = piece.begin() + (from - offset), last = piece.begin() + (to - offset);
            const auto differ = std::mismatch(first, last, source.begin() + from);
            return differ.first == last ? "" : DiffersOutside(from + (differ.first - first));
        };
        std::int64_t at = offset;
        for (const ByteRange& range : meant) {
            if (range.to <= at)
                continue;
            if (range.from >= end)
                break;
            const std::string found = compare(at, std::min(range.from, end));
            if (!found.empty())
                return found;
            at = std::max(at, range.to);
        }
        const std::string found = compare(at, end);
        if (!found.empty())
            return found;
    }
    return "";
}

void WriteReadBack(const std::string& output, const InputStream& source, const NewFile& made,
                   const std::vector<ByteRange>& meant, const std::function<std::string(const FileModel&)>& check,
                   const std::function<void()>& beforePutInPlace)
{
    const std::string outside = ChangedOutside(made, meant);
    if (!outside.empty())
        throw NotWritten(outside);
    const auto size = static_cast<std::size_t>(made.Size());
    std::unique_ptr<std::uint8_t[]> meantRun(new std::uint8_t[Run]), readRun(new std::uint8_t[Run]);
    OutFile out{output, nullptr, {}};
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
        if (wrong.empty())
            wrong = check(ReadModel(*written, output));
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
        if (beforePutInPlace)
            beforePutInPlace();
        PutOutFileInPlace(out);
    } catch (const NotWritten&) {
        DiscardOutFile(out);
        throw;
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        throw NotWritten(error.code().message());
    }
}

}   // namespace scry
