// CRC-32 by carry-less multiply on 64-bit ARM: PMULL folding four 128-bit lanes.
#include <arm_neon.h>
#if defined(__linux__)
#include <sys/auxv.h>
#endif

#include "CRC32/CRC32_paths.h"

using namespace crc32;

namespace {

// The folding of the x86 path with ARMv8 PMULL, whose carry-less products have the bit order of
// PCLMULQDQ.
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

}   // namespace

namespace crc32 {

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

const char* ClmulPathName() { return "pmull"; }

}   // namespace crc32
