// CRC-32 with constant tables, and the choice of the fastest register path the CPU offers.
#include "CRC32/CRC32.h"

#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

#include "CRC32/CRC32_paths.h"

namespace {

constexpr std::uint32_t CrcPolynomial = 0xEDB88320u;   // reflected form of 0x04C11DB7
constexpr std::size_t Slices = 16;

using SlicingTables = std::array<std::array<std::uint32_t, 256>, Slices>;

// Table k steps a byte followed by k zero bytes.
constexpr SlicingTables MakeSlicingTables()
{
    SlicingTables tables{};
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

constexpr SlicingTables SliceTables = MakeSlicingTables();   // made by the compiler, never at run time
static_assert(SliceTables[0][1] == 0x77073096u && SliceTables[0][255] == 0x2D02EF8Du);

std::uint32_t StepBytes(std::uint32_t crc, const std::uint8_t* block, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        crc = SliceTables[0][(crc ^ block[i]) & 0xFFu] ^ (crc >> 8);
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

std::uint32_t StepSlicedTables(std::uint32_t crc, const std::uint8_t* block, std::size_t length)
{
    const auto& t = SliceTables;
    while (length >= Slices) {
        const std::uint32_t a = crc ^ LoadLittle32(block);
        const std::uint32_t b = LoadLittle32(block + 4);
        const std::uint32_t c = LoadLittle32(block + 8);
        const std::uint32_t d = LoadLittle32(block + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^ t[11][b & 0xFF] ^
              t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^ t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^
              t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^ t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^
              t[0][d >> 24];
        block += Slices;
        length -= Slices;
    }
    return StepBytes(crc, block, length);
}

using RegisterPath = std::uint32_t (*)(const std::uint8_t*, std::size_t);

RegisterPath ChoosePath()
{
    if (crc32::WideClmulAvailable())
        return &crc32::RegisterWideClmul;
    return crc32::ClmulAvailable() ? &crc32::RegisterClmul : &crc32::RegisterSliced;
}

const RegisterPath ActivePath = ChoosePath();

}   // namespace

namespace crc32 {

std::uint32_t RegisterBytewise(const std::uint8_t* block, std::size_t length)
{
    return StepBytes(0xFFFFFFFFu, block, length);
}

std::uint32_t StepSliced(std::uint32_t crc, const std::uint8_t* block, std::size_t length)
{
    return StepSlicedTables(crc, block, length);
}

std::uint32_t RegisterSliced(const std::uint8_t* block, std::size_t length)
{
    return StepSlicedTables(0xFFFFFFFFu, block, length);
}

std::uint32_t RegisterAfterFolding(const std::uint8_t (&lane)[16], const std::uint8_t* tail, std::size_t length)
{
    return StepBytes(StepSlicedTables(0, lane, sizeof lane), tail, length);
}

std::uint32_t Register(const std::uint8_t* block, std::size_t length) { return ActivePath(block, length); }

std::uint32_t FingerprintOf(std::uint32_t reg, std::size_t length)
{
    // The length is added modulo 2^32; 0 is kept free, so a fingerprint is never 0.
    const std::uint32_t crc = reg + static_cast<std::uint32_t>(length);
    return crc == 0 ? 1u : crc;
}

namespace {

// a times b modulo the polynomial, both in the reflected form (bit 31 the coefficient of x^0).
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t product = 0;
    for (std::uint32_t m = 1u << 31; m != 0; m >>= 1) {
        if (a & m)
            product ^= b;
        b = (b & 1u) ? (b >> 1) ^ CrcPolynomial : b >> 1;
    }
    return product;
}

// x^(8 n) modulo the polynomial: the factor that moves a register n bytes on.
std::uint32_t BytesShiftFactor(std::size_t n)
{
    std::uint32_t factor = 1u << 31;   // x^0
    std::uint32_t power = 1u << 23;    // x^8
    for (; n != 0; n >>= 1) {
        if (n & 1u)
            factor = MultiplyModP(factor, power);
        power = MultiplyModP(power, power);
    }
    return factor;
}

}   // namespace

namespace {

// Multiplying by one factor, a nibble of the other at a time: the product of each of a nibble's
// 16 values with the factor, for each of the eight nibbles, summed (xor) over the nibbles.
struct FactorTable {
    std::uint32_t byNibble[8][16];
};

void MakeFactorTable(std::uint32_t factor, FactorTable& table)
{
    // Bit 31 - j of a register stands for x^j: its product with the factor is factor x^j.
    std::uint32_t powers[32];
    for (int j = 0; j < 32; ++j) {
        powers[j] = factor;
        factor = (factor & 1u) ? (factor >> 1) ^ CrcPolynomial : factor >> 1;
    }
    for (int k = 0; k < 8; ++k)
        for (unsigned n = 0; n < 16; ++n) {
            std::uint32_t product = 0;
            for (int i = 0; i < 4; ++i)
                if (n & (1u << i))
                    product ^= powers[31 - (4 * k + i)];
            table.byNibble[k][n] = product;
        }
}

std::uint32_t MultiplyByTable(std::uint32_t a, const FactorTable& table)
{
    std::uint32_t product = 0;
    for (int k = 0; k < 8; ++k)
        product ^= table.byNibble[k][(a >> (4 * k)) & 0xFu];
    return product;
}

}   // namespace

std::uint32_t CombineRegisters(std::uint32_t regA, std::uint32_t regB, std::size_t lengthB)
{
    // Running B from A's register instead of from 0xFFFFFFFF changes the register by the
    // difference of the two, moved on over B's bytes: the step is linear.
    // The factors of the last few lengths, which callers use over and over, as tables.
    constexpr std::size_t Kept = 4;
    static thread_local std::size_t lengths[Kept] = {~std::size_t{0}, ~std::size_t{0}, ~std::size_t{0},
                                                     ~std::size_t{0}};
    static thread_local FactorTable tables[Kept];
    static thread_local std::size_t next = 0;
    std::size_t k = 0;
    while (k < Kept && lengths[k] != lengthB)
        ++k;
    if (k == Kept) {
        k = next;
        next = (next + 1) % Kept;
        lengths[k] = lengthB;
        MakeFactorTable(BytesShiftFactor(lengthB), tables[k]);
    }
    return MultiplyByTable(regA ^ 0xFFFFFFFFu, tables[k]) ^ regB;
}

const char* ActivePathName()
{
    if (ActivePath == &RegisterWideClmul)
        return "vpclmulqdq";
    return ActivePath == &RegisterClmul ? ClmulPathName() : "sliced";
}

}   // namespace crc32

std::uint32_t Crc32Of(const std::uint8_t* block, std::int32_t length)
{
    if (length < 0 || length > MaxCrcBlock)
        throw std::range_error("CRC-32 block length " + std::to_string(length) + " out of range 0 to 32768");
    const auto bytes = static_cast<std::size_t>(length);
    return crc32::FingerprintOf(ActivePath(block, bytes), bytes);
}

Crc32Parts Crc32OfParts(const std::uint8_t* record, std::int32_t length, std::int32_t head)
{
    if (length < 0 || length > MaxCrcBlock || head < 0 || head > length)
        throw std::range_error("CRC-32 parts " + std::to_string(head) + " of " + std::to_string(length) +
                               " out of range");
    const auto rest = static_cast<std::size_t>(length - head);
    const std::uint32_t restRegister = ActivePath(record + head, rest);
    const std::uint32_t headRegister = crc32::RegisterSliced(record, static_cast<std::size_t>(head));
    const std::uint32_t whole = crc32::CombineRegisters(headRegister, restRegister, rest);
    return {crc32::FingerprintOf(whole, static_cast<std::size_t>(length)), crc32::FingerprintOf(restRegister, rest),
            whole};
}

Crc32Split Crc32OfSplit(const std::uint8_t* record, std::int32_t length, std::int32_t head, std::int32_t tail)
{
    if (length < 0 || length > MaxCrcBlock || head < 0 || tail < head || tail > length)
        throw std::range_error("CRC-32 split " + std::to_string(head) + ", " + std::to_string(tail) + " of " +
                               std::to_string(length) + " out of range");
    const auto tailLength = static_cast<std::size_t>(length - tail);
    const auto middle = static_cast<std::size_t>(tail - head);
    const std::uint32_t tailRegister = ActivePath(record + tail, tailLength);
    const std::uint32_t middleRegister = crc32::RegisterSliced(record + head, middle);
    const std::uint32_t restRegister = crc32::CombineRegisters(middleRegister, tailRegister, tailLength);
    const std::uint32_t headRegister = crc32::RegisterSliced(record, static_cast<std::size_t>(head));
    const std::size_t restLength = middle + tailLength;
    const std::uint32_t whole = crc32::CombineRegisters(headRegister, restRegister, restLength);
    return {crc32::FingerprintOf(whole, static_cast<std::size_t>(length)),
            crc32::FingerprintOf(headRegister, static_cast<std::size_t>(head)),
            crc32::FingerprintOf(restRegister, restLength), crc32::FingerprintOf(tailRegister, tailLength), whole};
}

std::uint32_t Crc32RunFeed(std::uint32_t reg, const std::uint8_t* piece, std::size_t length)
{
    return length == 0 ? reg : crc32::CombineRegisters(reg, ActivePath(piece, length), length);
}

std::uint32_t Crc32RunFinish(std::uint32_t reg, std::uint64_t length)
{
    return crc32::FingerprintOf(reg, static_cast<std::size_t>(length));
}

std::uint32_t Crc32RunJoin(std::uint32_t regA, std::uint32_t regB, std::uint64_t lengthB)
{
    return lengthB == 0 ? regA : crc32::CombineRegisters(regA, regB, static_cast<std::size_t>(lengthB));
}
