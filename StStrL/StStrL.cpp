// Path-name helpers and hexadecimal formatters.
#include "StStrL/StStrL.h"

#include <bitset>

#include "StStrL/LineFormat.h"

namespace {

const std::bitset<256> PathDelimiters = [] {
    std::bitset<256> set;
    set.set(0);
    set.set(static_cast<unsigned char>(':'));
    set.set(static_cast<unsigned char>('\\'));
    return set;
}();

// Position (1-based) of the last delimiter, 0 when there is none.
std::size_t LastDelimiter(const std::string& path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (PathDelimiters.test(static_cast<unsigned char>(path[i - 1])))
            return i;
    }
    return 0;
}

}   // namespace

bool CharInString(const std::string& s, char ch) { return s.find(ch) != std::string::npos; }

std::string FileNameOf(const std::string& path) { return path.substr(LastDelimiter(path), MaxFileNameLength); }

bool HasExtension(const std::string& name, std::int32_t& dot)
{
    const std::size_t last = name.rfind('.');
    dot = last == std::string::npos ? 0 : static_cast<std::int32_t>(last + 1);
    if (dot == 0)
        return false;
    return name.substr(last + 1, MaxFileNameLength).find('\\') == std::string::npos;
}

std::string BaseNameOf(const std::string& path)
{
    const std::string name = FileNameOf(path);
    std::int32_t dot = 0;
    return HasExtension(name, dot) ? name.substr(0, static_cast<std::size_t>(dot) - 1) : name;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t i = LastDelimiter(path);
    if (i == 0)
        return {};
    if (i == 1)
        return path.substr(0, 1);
    if (path[i - 1] == '\\')
        return path.substr(0, path[i - 2] == ':' ? i : i - 1);
    return path.substr(0, i);
}

std::string WithTrailingDelimiter(const std::string& text)
{
    return (!text.empty() && text.back() == '\\') ? text : text + '\\';
}

std::string PathWithoutExtension(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos)
        return path;
    return path.substr(0, dot);
}

std::string HexWord(std::uint16_t value)
{
    char text[4];
    PutHex(text, value, 4);
    return {text, 4};
}

std::string HexLong(std::uint32_t value)
{
    return HexWord(static_cast<std::uint16_t>(value >> 16)) + HexWord(static_cast<std::uint16_t>(value & 0xFFFFu));
}
