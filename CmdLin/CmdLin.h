// Command-line parameters: switches ("-x" or "/x", any case) and positional parameters, mixed freely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

char LowerAscii(char c);
// Place (1-based, over all parameters) of the first switch with this letter; 0 when there is none.
std::int32_t SwitchIndex(char letter);
bool SwitchPresent(char letter);
// The n-th positional parameter (from 1); empty when there are fewer than n, or n < 1.
std::string PositionalParam(std::int32_t n);
std::int32_t PositionalCount();
// Every switch parameter as given ("-t", "/tmp/t.txt"), in order.
std::vector<std::string> SwitchParams();
