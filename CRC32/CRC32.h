// CRC-32 fingerprint of a block: the reflected CRC-32 register step, no final complement,
// the block length added at the end.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::int32_t MaxCrcBlock = 32768;

// length: 0 to 32768 bytes; anything else raises std::range_error. Never returns 0.
std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length);

// The register paths behind Crc32Of: each runs the register step from 0xFFFFFFFF over the
// block and returns the register (no length added). All give the same value for every block.
namespace crc32 {

// One table step per byte: the plain algorithm, the reference the others are checked against.
std::uint32_t RegisterBytewise(const std::uint8_t* block, std::size_t length);
// Sixteen bytes per step through sixteen constant tables; runs on every CPU.
std::uint32_t RegisterSliced(const std::uint8_t* block, std::size_t length);
// Carry-less multiply folding: PCLMULQDQ on x86-64, PMULL on ARMv8, where ClmulAvailable() is
// true; the 256-bit x86-64 form (VPCLMULQDQ with AVX2) where WideClmulAvailable() is true. On
// other CPUs each falls back to the next slower path.
std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length);
std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length);
bool ClmulAvailable();
bool WideClmulAvailable();
// The path Crc32Of takes on this CPU: "vpclmulqdq", "pclmulqdq", "pmull" or "sliced"; chosen
// once, at start.
const char* ActivePathName();

} // namespace crc32
