// Path-name helpers on texts alone (delimiters NUL, ":" and "\"; "/" is an ordinary character)
// and fixed-width hexadecimal formatters.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::size_t MaxFileNameLength = 260;

bool CharInString(const std::string& s, char ch);
// The part after the last delimiter, at most 260 characters.
std::string FileNameOf(const std::string& path);
// True when the name has an extension; dot is the position (1-based) of its last ".", 0 for none.
bool HasExtension(const std::string& name, std::int32_t& dot);
std::string BaseNameOf(const std::string& path);
std::string DirectoryOf(const std::string& path);
std::string WithTrailingDelimiter(const std::string& text);

// The path without the extension of its last component: up to its last ".", where no "/" or
// "\\" follows that dot ("banks/live.set.PCG" gives "banks/live.set").
std::string PathWithoutExtension(const std::string& path);

std::string HexWord(std::uint16_t value);   // four upper-case hexadecimal digits
std::string HexLong(std::uint32_t value);   // eight upper-case hexadecimal digits
