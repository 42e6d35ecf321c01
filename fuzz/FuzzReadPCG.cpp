// libFuzzer target: ReadPCG on arbitrary bytes. The bank buffers and SlotInfo persist from
// input to input as they do in a wildcard run; the input and its listings live in a scratch
// directory; the log goes to /dev/null.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "PCG_readK/Output.h"
#include "PCG_readK/PCG_readK.h"
#include "Platform/Platform.h"

namespace {

std::filesystem::path scratch;

std::filesystem::path ScratchDirectory()
{
    const char* chosen = std::getenv("BANKSCRY_FUZZ_SCRATCH");
    std::filesystem::path base = chosen != nullptr                           ? std::filesystem::path(chosen)
                                 : std::filesystem::exists("/dev/shm")      ? std::filesystem::path("/dev/shm")
                                                                             : std::filesystem::temp_directory_path();
    return base / ("bankscry-fuzz-" + std::to_string(::getpid()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    scratch = ScratchDirectory();
    std::filesystem::create_directories(scratch);
    if (std::freopen("/dev/null", "wb", stdout) == nullptr)
        std::abort();
    BufferConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = (scratch / "f.PCG").string();
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The first byte past the file header picks the top-level-only switch now and then.
    const bool topLevelOnly = size > 16 && (data[16] & 0x80u) != 0 && (data[5] & 0x01u) != 0;
    try {
        std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenInput(input), &CloseInput);
        ReadPCG(*stream, topLevelOnly, (scratch / "f_out.txt").string());
    } catch (const std::exception&) {
        // The run driver's path: "Could not open"; the clean-up has closed both files.
    }
    if (ReportFile != nullptr || SetsCsvFile != nullptr)
        std::abort();   // an output file left open after ReadPCG
    return 0;
}
