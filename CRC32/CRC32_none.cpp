// CRC-32 on CPUs without a carry-less path: every path is the table one.
#include "CRC32/CRC32_paths.h"

namespace crc32 {

std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length) { return RegisterSliced(block, length); }
std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length) { return RegisterSliced(block, length); }
bool ClmulAvailable() { return false; }
bool WideClmulAvailable() { return false; }
const char* ClmulPathName() { return "none"; }

}   // namespace crc32
