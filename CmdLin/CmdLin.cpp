// Command-line parameters, read afresh from the process arguments on every call.
#include "CmdLin/CmdLin.h"

#include <bitset>
#include <vector>

#include "Platform/Platform.h"

namespace {

const std::bitset<256> SwitchLeads = [] {
    std::bitset<256> leads;
    leads.set(static_cast<unsigned char>('-'));
    leads.set(static_cast<unsigned char>('/'));
    return leads;
}();

// The non-empty arguments after the program's name: an empty argument takes no place.
std::vector<std::string> Parameters()
{
    std::vector<std::string> params;
    for (int place = 1; place < ProcessArgCount(); ++place) {
        const char* arg = ProcessArg(place);
        if (arg[0] != '\0')
            params.emplace_back(arg);
    }
    return params;
}

bool IsSwitch(const std::string& param) { return SwitchLeads.test(static_cast<unsigned char>(param[0])); }

}   // namespace

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::int32_t SwitchIndex(char letter)
{
    const char wanted = LowerAscii(letter);
    const std::vector<std::string> params = Parameters();
    for (std::size_t i = 0; i < params.size(); ++i) {
        // A lone lead has no letter and matches none.
        if (IsSwitch(params[i]) && params[i].size() >= 2 && LowerAscii(params[i][1]) == wanted)
            return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

bool SwitchPresent(char letter) { return SwitchIndex(letter) != 0; }

std::string PositionalParam(std::int32_t n)
{
    std::int32_t count = 0;
    for (const std::string& param : Parameters()) {
        if (!IsSwitch(param) && ++count == n)
            return param;
    }
    return {};
}

std::int32_t PositionalCount()
{
    std::int32_t count = 0;
    for (const std::string& param : Parameters())
        count += IsSwitch(param) ? 0 : 1;
    return count;
}

std::vector<std::string> SwitchParams()
{
    std::vector<std::string> switches;
    for (const std::string& param : Parameters())
        if (IsSwitch(param))
            switches.push_back(param);
    return switches;
}
