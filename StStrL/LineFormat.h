// Append routines for building output lines in a caller's buffer, printf semantics without locale:
// each writes at out and returns the position after what it wrote.
#pragma once

#include <cstdint>
#include <cstring>

inline constexpr char HexDigits[] = "0123456789ABCDEF";

inline char* PutText(char* out, const char* text, std::size_t length)
{
    std::memcpy(out, text, length);
    return out + length;
}

template <std::size_t N>
inline char* PutLiteral(char* out, const char (&text)[N])
{
    return PutText(out, text, N - 1);
}

// "%<width>s": right-aligned, blanks on the left, never cut.
inline char* PutRight(char* out, const char* text, std::size_t length, std::size_t width)
{
    if (length < width) {
        std::memset(out, ' ', width - length);
        out += width - length;
    }
    return PutText(out, text, length);
}

// "%<n>.<n>d" for values that are never negative: at least minDigits digits, leading zeros.
inline char* PutDec(char* out, std::uint64_t value, int minDigits = 1)
{
    int n = 1;
    for (std::uint64_t rest = value / 10; rest != 0; rest /= 10)
        ++n;
    char* const end = out + (n > minDigits ? n : minDigits);
    for (char* at = end; at != out; value /= 10)
        *--at = static_cast<char>('0' + value % 10);
    return end;
}

// "%<n>.<n>X": at least minDigits upper-case hexadecimal digits, leading zeros.
inline char* PutHex(char* out, std::uint32_t value, int minDigits = 1)
{
    int n = 1;
    for (std::uint32_t rest = value >> 4; rest != 0; rest >>= 4)
        ++n;
    char* const end = out + (n > minDigits ? n : minDigits);
    for (char* at = end; at != out; value >>= 4)
        *--at = HexDigits[value & 0xFu];
    return end;
}

// "%<n>.<n>llX": the same for 64-bit values.
inline char* PutHexWide(char* out, std::uint64_t value, int minDigits = 1)
{
    int n = 1;
    for (std::uint64_t rest = value >> 4; rest != 0; rest >>= 4)
        ++n;
    char* const end = out + (n > minDigits ? n : minDigits);
    for (char* at = end; at != out; value >>= 4)
        *--at = HexDigits[value & 0xFu];
    return end;
}
