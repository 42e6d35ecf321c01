// CRC-32 by carry-less multiply on x86-64: PCLMULQDQ folding four 128-bit lanes, and the 256-bit
// VPCLMULQDQ form where the CPU has it with AVX2.
#include <immintrin.h>

#include "CRC32/CRC32_paths.h"

using namespace crc32;

namespace {

constexpr std::size_t WideClmulMinimum = 256;

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

}   // namespace

namespace crc32 {

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

const char* ClmulPathName() { return "pclmulqdq"; }

}   // namespace crc32
