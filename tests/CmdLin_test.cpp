// Switches and positional parameters.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CmdLin/CmdLin.h"
#include "Platform/Platform.h"

namespace {

// Keeps the argument strings alive while CmdLin reads them.
struct CommandLine {
    explicit CommandLine(std::vector<std::string> args) : strings(std::move(args))
    {
        strings.insert(strings.begin(), "bankscry");
        for (std::string& s : strings)
            pointers.push_back(s.data());
        SetProcessArgs(static_cast<int>(pointers.size()), pointers.data());
    }
    ~CommandLine() { SetProcessArgs(0, nullptr); }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
};

}   // namespace

TEST(CmdLin, MixedSwitchesAndPositionals)
{
    CommandLine line({"-x", "song.PCG", "/T", "out"});
    EXPECT_EQ(SwitchIndex('T'), 3);
    EXPECT_EQ(SwitchIndex('t'), 3);
    EXPECT_TRUE(SwitchPresent('T'));
    EXPECT_TRUE(SwitchPresent('x'));
    EXPECT_TRUE(SwitchPresent('X'));
    EXPECT_FALSE(SwitchPresent('s'));
    EXPECT_EQ(PositionalCount(), 2);
    EXPECT_EQ(PositionalParam(1), "song.PCG");
    EXPECT_EQ(PositionalParam(2), "out");
    EXPECT_EQ(PositionalParam(3), "");
    EXPECT_EQ(PositionalParam(0), "");
    EXPECT_EQ(PositionalParam(-1), "");
}

TEST(CmdLin, FirstOfTwoSwitchesWithOneLetterCounts)
{
    CommandLine line({"a", "/trace", "-T"});
    EXPECT_EQ(SwitchIndex('t'), 2);
}

TEST(CmdLin, DoubleDashCarriesTheLetterDash)
{
    CommandLine line({"--t", "song.PCG"});
    EXPECT_FALSE(SwitchPresent('t'));
    EXPECT_EQ(SwitchIndex('-'), 1);
    EXPECT_EQ(PositionalCount(), 1);
    EXPECT_EQ(PositionalParam(1), "song.PCG");
}

TEST(CmdLin, SlashPathIsASwitch)
{
    CommandLine line({"/home/song.PCG"});
    EXPECT_EQ(PositionalCount(), 0);
    EXPECT_EQ(SwitchIndex('h'), 1);
}

TEST(CmdLin, NoParameters)
{
    CommandLine line({});
    EXPECT_EQ(SwitchIndex('t'), 0);
    EXPECT_EQ(PositionalCount(), 0);
    EXPECT_EQ(PositionalParam(1), "");
}

TEST(CmdLin, EmptyArgumentTakesNoPlace)
{
    CommandLine line({"a", "", "/t", "", "b"});
    EXPECT_EQ(SwitchIndex('t'), 2);
    EXPECT_EQ(PositionalCount(), 2);
    EXPECT_EQ(PositionalParam(2), "b");
}

TEST(CmdLin, LoneLeadIsALetterlessSwitch)
{
    CommandLine line({"-", "/", "x"});
    EXPECT_EQ(PositionalCount(), 1);
    EXPECT_EQ(PositionalParam(1), "x");
    for (char letter : {'t', '-', '/', '\0'})
        EXPECT_EQ(SwitchIndex(letter), 0) << static_cast<int>(letter);
}

TEST(LowerAscii, OnlyCapitalLettersChange)
{
    EXPECT_EQ(LowerAscii('A'), 'a');
    EXPECT_EQ(LowerAscii('Z'), 'z');
    EXPECT_EQ(LowerAscii('@'), '@');   // 64, just below A
    EXPECT_EQ(LowerAscii('['), '[');   // 91, just above Z
    EXPECT_EQ(LowerAscii('t'), 't');
    EXPECT_EQ(LowerAscii(static_cast<char>(0xC4)), static_cast<char>(0xC4));
}
