// A new PCG file made in memory, and what tells where it differs from its source.
#include "write/Written.h"

#include <algorithm>
#include <cstring>

namespace scry {

namespace {

ReadBackFault DiffersOutside(std::int64_t at)
{
    ReadBackFault fault{ReadBackFault::Kind::ByteOutside};
    fault.at = at;
    return fault;
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
    OverlayPieces(pieces, at, length, into);
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

ReadBackFault ChangedOutside(std::string_view made, std::string_view source, std::vector<ByteRange> meant)
{
    if (made.size() != source.size()) {
        ReadBackFault fault{ReadBackFault::Kind::OtherSize};
        fault.size = static_cast<std::int64_t>(made.size());
        fault.sourceSize = static_cast<std::int64_t>(source.size());
        return fault;
    }
    std::sort(meant.begin(), meant.end(), [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
    std::int64_t at = 0;
    const auto size = static_cast<std::int64_t>(made.size());
    const auto compare = [&](std::int64_t from, std::int64_t to) -> ReadBackFault {
        const auto first = static_cast<std::size_t>(from), count = static_cast<std::size_t>(to - from);
        if (count == 0 || std::memcmp(made.data() + first, source.data() + first, count) == 0)
            return {};
        const auto differ = std::mismatch(made.begin() + from, made.begin() + to, source.begin() + from);
        return DiffersOutside(differ.first - made.begin());
    };
    for (const ByteRange& range : meant) {
        const ReadBackFault found = compare(at, std::clamp(range.from, at, size));
        if (found)
            return found;
        at = std::max(at, std::min(range.to, size));
    }
    return compare(at, size);
}

ReadBackFault SlotFault(ReadBackFault::Kind kind, const SlotAt& slot)
{
    ReadBackFault fault{kind};
    fault.slot = slot;
    return fault;
}

ReadBackFault DamageFault(const FileModel& written)
{
    ReadBackFault fault{ReadBackFault::Kind::Damaged};
    fault.problem = written.problems.front();
    return fault;
}

ReadBackFault ChangedOutside(const NewFile& made, std::vector<ByteRange> meant)
{
    // Outside its pieces the new file is its source: only they are compared, where nothing was meant.
    std::sort(meant.begin(), meant.end(), [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
    const std::string_view source = made.Source();
    for (const auto& entry : made.Pieces()) {
        const std::int64_t offset = entry.first;
        const std::string& piece = entry.second;
        const std::int64_t end = offset + static_cast<std::int64_t>(piece.size());
        const auto compare = [&](std::int64_t from, std::int64_t to) -> ReadBackFault {
            if (from >= to)
                return {};
            const auto first = piece.begin() + (from - offset), last = piece.begin() + (to - offset);
            const auto differ = std::mismatch(first, last, source.begin() + from);
            return differ.first == last ? ReadBackFault{} : DiffersOutside(from + (differ.first - first));
        };
        std::int64_t at = offset;
        for (const ByteRange& range : meant) {
            if (range.to <= at)
                continue;
            if (range.from >= end)
                break;
            const ReadBackFault found = compare(at, std::min(range.from, end));
            if (found)
                return found;
            at = std::max(at, range.to);
        }
        const ReadBackFault found = compare(at, end);
        if (found)
            return found;
    }
    return {};
}

}   // namespace scry
