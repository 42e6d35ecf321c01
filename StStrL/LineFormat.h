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
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < minDigits)
        digits[n++] = '0';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

// "%<n>.<n>X": at least minDigits upper-case hexadecimal digits, leading zeros.
inline char* PutHex(char* out, std::uint32_t value, int minDigits = 1)
{
    char digits[8];
    int n = 0;
    do {
        digits[n++] = HexDigits[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    while (n < minDigits)
        digits[n++] = '0';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}
