// The register paths behind Crc32Of, for the sources that implement them, the tests that check
// each against the byte-wise reference, and the benchmarks. Not for other callers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crc32 {

// Each runs the register step from 0xFFFFFFFF over the block and returns the register (no
// length added); all give the same value for every block.

// One table step per byte: the plain algorithm, the reference the others are checked against.
std::uint32_t RegisterBytewise(const std::uint8_t* block, std::size_t length);
// Sixteen bytes per step through sixteen constant tables; runs on every CPU.
std::uint32_t RegisterSliced(const std::uint8_t* block, std::size_t length);
// Carry-less multiply folding: PCLMULQDQ on x86-64, PMULL on ARMv8, where ClmulAvailable() is
// true; the 256-bit x86-64 form (VPCLMULQDQ with AVX2) where WideClmulAvailable() is true. On
// other CPUs each falls back to the next slower path. One source per CPU family implements them.
std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length);
std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length);
bool ClmulAvailable();
bool WideClmulAvailable();
// The carry-less path's name on this CPU family: "pclmulqdq", "pmull" or "none".
const char* ClmulPathName();
// The register over the block by the path Crc32Of takes; and the fingerprint Crc32Of makes of a
// register and the block's length.
std::uint32_t Register(const std::uint8_t* block, std::size_t length);
std::uint32_t FingerprintOf(std::uint32_t reg, std::size_t length);
// The register over A followed by B, from the register over A and that over B, each run alone
// from 0xFFFFFFFF: a fingerprint of a whole record from those of its parts, without reading it twice.
std::uint32_t CombineRegisters(std::uint32_t regA, std::uint32_t regB, std::size_t lengthB);

// The path Crc32Of takes on this CPU: "vpclmulqdq", "pclmulqdq", "pmull" or "sliced"; chosen
// once, at start.
const char* ActivePathName();

// Shared by the carry-less sources.

// Blocks shorter than this go through the tables: they are as quick there.
inline constexpr std::size_t ClmulMinimum = 64;
// The register step from crc over the block, sixteen bytes at a time through the tables.
std::uint32_t StepSliced(std::uint32_t crc, const std::uint8_t* block, std::size_t length);
// The folded lane holds the remainder of everything before the tail: its 16 bytes from a zero
// register, then the tail, give the register of the whole block.
std::uint32_t RegisterAfterFolding(const std::uint8_t (&lane)[16], const std::uint8_t* tail, std::size_t length);

// Folding constants. A 128-bit lane, loaded little-endian, holds 128 message bits with the
// first at bit 0; its first eight bytes H and last eight L stand for H x^64 + L. Moving a lane D bits
// on multiplies H by x^(D+64) and L by x^D modulo the polynomial; the carry-less product of
// two bit-reversed halves comes out one degree low, hence the -1 in the exponents below.
inline constexpr std::uint64_t XPowModP(unsigned exponent)   // x^exponent mod P, bit m = coefficient of x^m
{
    std::uint64_t value = 1;
    for (unsigned i = 0; i < exponent; ++i) {
        value <<= 1;
        if (value & 0x100000000u)
            value ^= 0x104C11DB7u;
    }
    return value;
}

inline constexpr std::uint64_t Reversed64(std::uint64_t value)
{
    std::uint64_t result = 0;
    for (int i = 0; i < 64; ++i)
        result |= ((value >> i) & 1u) << (63 - i);
    return result;
}

// Multipliers of a lane's first eight bytes (H) and of its last eight (L).
inline constexpr std::uint64_t FoldFirstHalf(unsigned distance) { return Reversed64(XPowModP(distance + 63)); }
inline constexpr std::uint64_t FoldSecondHalf(unsigned distance) { return Reversed64(XPowModP(distance - 1)); }

}   // namespace crc32
