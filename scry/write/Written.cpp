// Writing a new PCG file and reading it back.
#include "write/Written.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include "OutFile/OutFile.h"

namespace scry {

namespace {

// The stream holds these bytes and no more.
bool HoldsBytes(const InputStream& stream, std::string_view bytes)
{
    constexpr std::size_t Run = std::size_t{1} << 20;
    std::string block(Run, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(Run, bytes.size() - done);
        if (InputReadAt(stream, static_cast<std::int64_t>(done), block.data(), want) != want ||
            std::memcmp(block.data(), bytes.data() + done, want) != 0)
            return false;
        done += want;
    }
    char more = 0;
    return InputReadAt(stream, static_cast<std::int64_t>(done), &more, 1) == 0;
}

}   // namespace

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
        return "byte " + std::to_string(differ.first - made.begin()) +
               " differs from the file it was made from, outside what was to change";
    };
    for (const ByteRange& range : meant) {
        const std::string found = compare(at, std::clamp(range.from, at, size));
        if (!found.empty())
            return found;
        at = std::max(at, std::min(range.to, size));
    }
    return compare(at, size);
}

void WriteReadBack(const std::string& output, std::string_view bytes, std::string_view source,
                   const std::vector<ByteRange>& meant, const std::function<std::string(const FileModel&)>& check)
{
    OutFile out{output, nullptr, {}};
    try {
        CreateOutFile(out);
        WriteOutFile(out, bytes.data(), bytes.size());
        CloseOutFile(out);
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        throw NotWritten(error.code().message());
    }
    std::string wrong;
    try {
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> written(OpenInput(out.temporary), &CloseInput);
        if (!HoldsBytes(*written, bytes))
            wrong = "the bytes read back are not those written";
        if (wrong.empty() && !source.empty())
            wrong = ChangedOutside(bytes, source, meant);
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
        PutOutFileInPlace(out);
    } catch (const std::system_error& error) {
        DiscardOutFile(out);
        throw NotWritten(error.code().message());
    }
}

}   // namespace scry
