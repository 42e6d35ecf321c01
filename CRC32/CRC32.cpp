// CRC-32 with constant tables, and the fastest register path the CPU offers.
#include "CRC32/CRC32.h"

#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define BANKSCRY_CLMUL 1
#include <immintrin.h>
#elif defined(__aarch64__) && !defined(__ARM_BIG_ENDIAN) && (defined(__GNUC__) || defined(__clang__))
#define BANKSCRY_PMULL 1
#include <arm_neon.h>
#if defined(__linux__)
#include <sys/auxv.h>
#endif
#endif

namespace {

constexpr std::uint32_t CrcPolynomial = 0xEDB88320u;   // reflected form of 0x04C11DB7
constexpr std::size_t Slices = 16;

using CrcTables = std::array<std::array<std::uint32_t, 256>, Slices>;

// Table k steps a byte followed by k zero bytes.
constexpr CrcTables MakeCrcTables()
{
    CrcTables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ CrcPolynomial : value >> 1;
        tables[0][i] = value;
    }
    for (std::size_t k = 1; k < Slices; ++k)
        for (std::size_t i = 0; i < 256; ++i)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFFu];
    return tables;
}

constexpr CrcTables CrcTable = MakeCrcTables();   // made by the compiler, never at run time
static_assert(CrcTable[0][1] == 0x77073096u && CrcTable[0][255] == 0x2D02EF8Du);

std::uint32_t StepBytes(std::uint32_t crc, const std::uint8_t* block, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        crc = CrcTable[0][(crc ^ block[i]) & 0xFFu] ^ (crc >> 8);
    return crc;
}

std::uint32_t LoadLittle32(const std::uint8_t* at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        value = (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
    return value;
}

std::uint32_t StepSliced(std::uint32_t crc, const std::uint8_t* block, std::size_t length)
{
    const auto& t = CrcTable;
    while (length >= Slices) {
        const std::uint32_t a = crc ^ LoadLittle32(block);
        const std::uint32_t b = LoadLittle32(block + 4);
        const std::uint32_t c = LoadLittle32(block + 8);
        const std::uint32_t d = LoadLittle32(block + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        block += Slices;
        length -= Slices;
    }
    return StepBytes(crc, block, length);
}

#if BANKSCRY_CLMUL || BANKSCRY_PMULL

// Folding constants. A 128-bit lane, loaded little-endian, holds 128 message bits with the
// first at bit 0; its first eight bytes H and last eight L stand for H x^64 + L. Moving a lane D bits
// on multiplies H by x^(D+64) and L by x^D modulo the polynomial; the carry-less product of
// two bit-reversed halves comes out one degree low, hence the -1 in the exponents below.
constexpr std::uint64_t XPowModP(unsigned exponent)   // x^exponent mod P, bit m = coefficient of x^m
{
    std::uint64_t value = 1;
    for (unsigned i = 0; i < exponent; ++i) {
        value <<= 1;
        if (value & 0x100000000u)
            value ^= 0x104C11DB7u;
    }
    return value;
}

// The folded lane holds the remainder of everything before the tail: its 16 bytes from a zero
// register, then the tail, give the register of the whole block.
std::uint32_t RegisterAfterFolding(const std::uint8_t (&lane)[16], const std::uint8_t* tail, std::size_t length)
{
    return StepBytes(StepSliced(0, lane, sizeof lane), tail, length);
}

constexpr std::uint64_t Reversed64(std::uint64_t value)
{
    std::uint64_t result = 0;
    for (int i = 0; i < 64; ++i)
        result |= ((value >> i) & 1u) << (63 - i);
    return result;
}

// Multipliers of a lane's first eight bytes (H) and of its last eight (L).
constexpr std::uint64_t FoldFirstHalf(unsigned distance) { return Reversed64(XPowModP(distance + 63)); }
constexpr std::uint64_t FoldSecondHalf(unsigned distance) { return Reversed64(XPowModP(distance - 1)); }

#endif

#if BANKSCRY_CLMUL

// The first half's multiplier in the low 64 bits, the second half's above it, as the lanes hold
// them; the template argument keeps them compile-time constants.
template <unsigned Distance>
inline __m128i Constants()
{
    constexpr auto first = static_cast<long long>(FoldFirstHalf(Distance));
    constexpr auto second = static_cast<long long>(FoldSecondHalf(Distance));
    return _mm_set_epi64x(second, first);
}

inline __m128i Load128(const std::uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i lane, __m128i constants, __m128i next)
{
    const __m128i first = _mm_clmulepi64_si128(lane, constants, 0x00);
    const __m128i second = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(first, second), next);
}

// Folds the last whole 16-byte lanes of the block into the one lane left, then finishes.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldTail(__m128i lane, const std::uint8_t* block,
                                                                std::size_t length)
{
    const __m128i by128 = Constants<128>();
    while (length >= 16) {
        lane = Fold(lane, by128, Load128(block));
        block += 16;
        length -= 16;
    }
    alignas(16) std::uint8_t bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), lane);
    return RegisterAfterFolding(bytes, block, length);
}

__attribute__((target("pclmul,sse4.1"))) std::uint32_t StepClmul(const std::uint8_t* block, std::size_t length)
{
    const __m128i by512 = Constants<512>();
    const __m128i by128 = Constants<128>();

    // The start register 0xFFFFFFFF goes into the first four message bytes.
    __m128i x0 = _mm_xor_si128(Load128(block), _mm_cvtsi32_si128(-1));
    __m128i x1 = Load128(block + 16);
    __m128i x2 = Load128(block + 32);
    __m128i x3 = Load128(block + 48);
    block += 64;
    length -= 64;
    while (length >= 64) {
        x0 = Fold(x0, by512, Load128(block));
        x1 = Fold(x1, by512, Load128(block + 16));
        x2 = Fold(x2, by512, Load128(block + 32));
        x3 = Fold(x3, by512, Load128(block + 48));
        block += 64;
        length -= 64;
    }
    x1 = Fold(x0, by128, x1);
    x2 = Fold(x1, by128, x2);
    return FoldTail(Fold(x2, by128, x3), block, length);
}

// Two lanes per instruction where the CPU has the 256-bit form (VPCLMULQDQ with AVX2).
template <unsigned Distance>
__attribute__((target("avx2"))) inline __m256i WideConstants()
{
    constexpr auto first = static_cast<long long>(FoldFirstHalf(Distance));
    constexpr auto second = static_cast<long long>(FoldSecondHalf(Distance));
    return _mm256_set_epi64x(second, first, second, first);
}

__attribute__((target("avx2"))) inline __m256i Load256(const std::uint8_t* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1"))) inline __m256i Fold2(__m256i lanes, __m256i constants,
                                                                             __m256i next)
{
    const __m256i first = _mm256_clmulepi64_epi128(lanes, constants, 0x00);
    const __m256i second = _mm256_clmulepi64_epi128(lanes, constants, 0x11);
    return _mm256_xor_si256(_mm256_xor_si256(first, second), next);
}

__attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1"))) std::uint32_t StepWideClmul(const std::uint8_t* block,
                                                                                    std::size_t length)
{
    const __m256i by1024 = WideConstants<1024>();
    const __m256i by256 = WideConstants<256>();

    __m256i y0 = _mm256_xor_si256(Load256(block), _mm256_setr_epi32(-1, 0, 0, 0, 0, 0, 0, 0));
    __m256i y1 = Load256(block + 32);
    __m256i y2 = Load256(block + 64);
    __m256i y3 = Load256(block + 96);
    block += 128;
    length -= 128;
    while (length >= 128) {
        y0 = Fold2(y0, by1024, Load256(block));
        y1 = Fold2(y1, by1024, Load256(block + 32));
        y2 = Fold2(y2, by1024, Load256(block + 64));
        y3 = Fold2(y3, by1024, Load256(block + 96));
        block += 128;
        length -= 128;
    }
    y1 = Fold2(y0, by256, y1);
    y2 = Fold2(y1, by256, y2);
    y3 = Fold2(y2, by256, y3);
    return FoldTail(Fold(_mm256_castsi256_si128(y3), Constants<128>(), _mm256_extracti128_si256(y3, 1)), block, length);
}

bool CpuHasClmul()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

bool CpuHasWideClmul()
{
    __builtin_cpu_init();
    return CpuHasClmul() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
}

#endif

#if BANKSCRY_PMULL

// The same folding with ARMv8 PMULL, whose carry-less products have the bit order of PCLMULQDQ.
#if defined(__clang__)
#define BANKSCRY_PMULL_TARGET __attribute__((target("aes")))
#else
#define BANKSCRY_PMULL_TARGET __attribute__((target("+crypto")))
#endif

inline uint64x2_t Load128(const std::uint8_t* at) { return vreinterpretq_u64_u8(vld1q_u8(at)); }

template <unsigned Distance>
BANKSCRY_PMULL_TARGET inline uint64x2_t FoldP(uint64x2_t lane, uint64x2_t next)
{
    constexpr poly64_t first = FoldFirstHalf(Distance);
    constexpr poly64_t second = FoldSecondHalf(Distance);
    const poly128_t a = vmull_p64(static_cast<poly64_t>(vgetq_lane_u64(lane, 0)), first);
    const poly128_t b = vmull_p64(static_cast<poly64_t>(vgetq_lane_u64(lane, 1)), second);
    return veorq_u64(veorq_u64(vreinterpretq_u64_p128(a), vreinterpretq_u64_p128(b)), next);
}

BANKSCRY_PMULL_TARGET std::uint32_t StepPmull(const std::uint8_t* block, std::size_t length)
{
    uint64x2_t x0 = veorq_u64(Load128(block), vcombine_u64(vcreate_u64(0xFFFFFFFFu), vcreate_u64(0)));
    uint64x2_t x1 = Load128(block + 16);
    uint64x2_t x2 = Load128(block + 32);
    uint64x2_t x3 = Load128(block + 48);
    block += 64;
    length -= 64;
    while (length >= 64) {
        x0 = FoldP<512>(x0, Load128(block));
        x1 = FoldP<512>(x1, Load128(block + 16));
        x2 = FoldP<512>(x2, Load128(block + 32));
        x3 = FoldP<512>(x3, Load128(block + 48));
        block += 64;
        length -= 64;
    }
    x1 = FoldP<128>(x0, x1);
    x2 = FoldP<128>(x1, x2);
    x3 = FoldP<128>(x2, x3);
    while (length >= 16) {
        x3 = FoldP<128>(x3, Load128(block));
        block += 16;
        length -= 16;
    }
    std::uint8_t lane[16];
    vst1q_u8(lane, vreinterpretq_u8_u64(x3));
    return RegisterAfterFolding(lane, block, length);
}

bool CpuHasPmull()
{
#if defined(__APPLE__)
    return true;   // every 64-bit ARM Mac has it
#elif defined(__linux__) && defined(HWCAP_PMULL)
    return (::getauxval(AT_HWCAP) & HWCAP_PMULL) != 0;
#else
    return false;
#endif
}

#endif

constexpr std::size_t ClmulMinimum = 64;        // below these the tables are as quick
#if BANKSCRY_CLMUL
constexpr std::size_t WideClmulMinimum = 256;
#endif

using RegisterPath = std::uint32_t (*)(const std::uint8_t*, std::size_t);

RegisterPath ChoosePath()
{
    if (crc32::WideClmulAvailable())
        return &crc32::RegisterWideClmul;
    return crc32::ClmulAvailable() ? &crc32::RegisterClmul : &crc32::RegisterSliced;
}

const RegisterPath ActivePath = ChoosePath();

} // namespace

namespace crc32 {

std::uint32_t RegisterBytewise(const std::uint8_t* block, std::size_t length)
{
    return StepBytes(0xFFFFFFFFu, block, length);
}

std::uint32_t RegisterSliced(const std::uint8_t* block, std::size_t length)
{
    return StepSliced(0xFFFFFFFFu, block, length);
}

#if BANKSCRY_CLMUL
std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length)
{
    return length < ClmulMinimum || !ClmulAvailable() ? RegisterSliced(block, length) : StepClmul(block, length);
}

std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length)
{
    return length < WideClmulMinimum || !WideClmulAvailable() ? RegisterClmul(block, length)
                                                               : StepWideClmul(block, length);
}

bool ClmulAvailable()
{
    static const bool available = CpuHasClmul();
    return available;
}

bool WideClmulAvailable()
{
    static const bool available = CpuHasWideClmul();
    return available;
}
#elif BANKSCRY_PMULL
std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length)
{
    return length < ClmulMinimum || !ClmulAvailable() ? RegisterSliced(block, length) : StepPmull(block, length);
}

std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length) { return RegisterClmul(block, length); }

bool ClmulAvailable()
{
    static const bool available = CpuHasPmull();
    return available;
}

bool WideClmulAvailable() { return false; }
#else
std::uint32_t RegisterClmul(const std::uint8_t* block, std::size_t length) { return RegisterSliced(block, length); }
std::uint32_t RegisterWideClmul(const std::uint8_t* block, std::size_t length) { return RegisterSliced(block, length); }
bool ClmulAvailable() { return false; }
bool WideClmulAvailable() { return false; }
#endif

const char* ActivePathName()
{
    if (ActivePath == &RegisterWideClmul)
        return "vpclmulqdq";
#if BANKSCRY_PMULL
    return ActivePath == &RegisterClmul ? "pmull" : "sliced";
#else
    return ActivePath == &RegisterClmul ? "pclmulqdq" : "sliced";
#endif
}

} // namespace crc32

std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length)
{
    if (length < 0 || length > MaxCrcBlock)
        throw std::range_error("CRC-32 block length " + std::to_string(length) + " out of range 0 to 32768");
    std::uint32_t crc = ActivePath(block, static_cast<std::size_t>(length));
    // The length is added modulo 2^32; 0 is kept free, so a fingerprint is never 0.
    crc += static_cast<std::uint32_t>(length);
    return crc == 0 ? 1u : crc;
}
