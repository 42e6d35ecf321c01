// Micro-benchmarks: Crc32Of and each register path on record-sized blocks (bytes per second),
// and ListBank on a set-list bank (lines per second).
#include <cstdio>
#include <vector>

#include <benchmark/benchmark.h>

#include "CRC32/CRC32.h"
#include "CRC32/CRC32_paths.h"
#include "PCG_readK/Banks.h"
#include "PCG_readK/ListBank.h"
#include "Output/Output.h"
#include "PcgWriter.h"

namespace {

std::vector<std::uint8_t> RandomBlock(std::size_t length)
{
    pcgw::Random random(42);
    std::vector<std::uint8_t> block(length);
    for (std::uint8_t& byte : block)
        byte = random.NextByte();
    return block;
}

void BM_Crc32Of(benchmark::State& state)
{
    const auto length = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint8_t> block = RandomBlock(static_cast<std::size_t>(length));
    for (auto _ : state)
        benchmark::DoNotOptimize(Crc32Of(block.data(), length));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
    state.SetLabel(crc32::ActivePathName());
}

template <std::uint32_t (*Path)(const std::uint8_t*, std::size_t)>
void BM_RegisterPath(benchmark::State& state)
{
    const auto length = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> block = RandomBlock(length);
    for (auto _ : state)
        benchmark::DoNotOptimize(Path(block.data(), length));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length));
}

void BM_ListBankSetLists(benchmark::State& state)
{
    const std::vector<std::uint8_t> bank = RandomBlock(Sbk1Size);
    std::copy(bank.begin(), bank.end(), Sbk1Buffer);
    // The lines are written for real, to the null device.
    for (Listing* listing : {&ReportFile, &SetsCsvFile})
        *listing = Listing{OutFile{"/dev/null", std::fopen("/dev/null", "wb"), {}}, nullptr, true};
    for (auto _ : state)
        ListBank(Sbk1Buffer, Kind::SLS1, "");
    for (Listing* listing : {&ReportFile, &SetsCsvFile}) {
        std::fclose(listing->out.file);
        *listing = Listing{};
    }
    // 128 EQ lines and 16384 slot lines in the report, 16384 CSV lines.
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (128 + 2 * 16384));
}

}   // namespace

BENCHMARK(BM_Crc32Of)->Arg(542)->Arg(4960)->Arg(7810);
BENCHMARK_TEMPLATE(BM_RegisterPath, crc32::RegisterBytewise)->Arg(4960);
BENCHMARK_TEMPLATE(BM_RegisterPath, crc32::RegisterSliced)->Arg(542)->Arg(4960)->Arg(7810);
BENCHMARK_TEMPLATE(BM_RegisterPath, crc32::RegisterClmul)->Arg(542)->Arg(4960)->Arg(7810);
BENCHMARK_TEMPLATE(BM_RegisterPath, crc32::RegisterWideClmul)->Arg(542)->Arg(4960)->Arg(7810);
BENCHMARK(BM_ListBankSetLists)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
