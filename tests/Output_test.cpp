// The log's own printf: every template the reader logs, against the C library's, on the edges.
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Output/Output.h"
#include "TestSupport.h"

namespace {

std::string Ours(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string out;
    AppendLogFormat(out, format, args);
    va_end(args);
    return out;
}

std::string Theirs(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}   // namespace

TEST(LogFormat, AgreesWithPrintf)
{
    for (const std::int32_t value : {0, 1, 9, 10, -1, -10, 1234, INT_MAX, INT_MIN}) {
        const auto u = static_cast<std::uint32_t>(value);
        EXPECT_EQ(Ours("Size: %d (0x%X)", value, u), Theirs("Size: %d (0x%X)", value, u)) << value;
        EXPECT_EQ(Ours("%u|%2.2X |  %8.8X  ", u, u & 0xFFu, u), Theirs("%u|%2.2X |  %8.8X  ", u, u & 0xFFu, u)) << value;
    }
    for (const long long value : {0LL, 16894762LL, -5LL, LLONG_MAX, LLONG_MIN})
        EXPECT_EQ(Ours("of %lld", value), Theirs("of %lld", value)) << value;
    for (const unsigned long long value : {0ULL, 317440ULL, ULLONG_MAX})
        EXPECT_EQ(Ours("%llu", value), Theirs("%llu", value)) << value;
    for (const std::size_t value : {std::size_t{0}, std::size_t{462336}, std::size_t{8885248}})
        EXPECT_EQ(Ours("Reading %s data: %zu (0x%zX) bytes", "SDB1", value, value),
                  Theirs("Reading %s data: %zu (0x%zX) bytes", "SDB1", value, value));
    EXPECT_EQ(Ours("%s: SLS1 L2 Parse: Not a known chunk in %.4s type.", "", "SLS1xyz"),
              Theirs("%s: SLS1 L2 Parse: Not a known chunk in %.4s type.", "", "SLS1xyz"));
    // Four bytes with no NUL after them, as a chunk kind's name is passed: read no further.
    const char kind[4] = {'P', 'R', 'G', '1'};
    EXPECT_EQ(Ours("in %.4s type", kind), "in PRG1 type");
    EXPECT_EQ(Ours("100%% plain, no directive"), "100% plain, no directive");
    const std::string longName(3000, 'n');
    EXPECT_EQ(Ours("Opened %s  Size: %lld", longName.c_str(), 5LL), "Opened " + longName + "  Size: 5");
}

TEST(LogFormat, UnknownDirectiveRaises)
{
    EXPECT_THROW(Ours("%f", 1.0), std::system_error);
}
