// libFuzzer target: ReadPCG on arbitrary bytes, entirely in memory. The input is a memory
// stream, the log and both listings go to memory texts; nothing touches the disk. The bank
// buffers and SlotInfo persist from input to input as they do in a wildcard run. The log, which
// a walk through unknown bytes writes a line a byte, is made for one input in sixteen (picked by
// its bytes) and left unmade for the rest, so that the fuzzer's time goes to the reader.
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "Output/Output.h"
#include "PCG_readK/PCG_readK.h"
#include "Platform/Platform.h"

namespace {

std::string Log;
std::string Report;
std::string Csv;

}   // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    ListingsToMemory(Report, Csv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Log.clear();
    const bool logged = size == 0 || (data[size / 2] & 0x0Fu) == 0;
    if (logged)
        LogToMemory(Log);
    else
        LogToNowhere();
    // The first byte past the file header picks the top-level-only switch now and then.
    const bool topLevelOnly = size > 16 && (data[16] & 0x80u) != 0 && (data[5] & 0x01u) != 0;
    try {
        std::unique_ptr<InputStream, decltype(&CloseInput)> stream(OpenMemoryInput(data, size, "f.PCG"), &CloseInput);
        ReadPCG(*stream, topLevelOnly, "f_out.txt");
    } catch (const std::exception&) {
        // The run driver's path: "Could not open"; the clean-up has closed both listings.
    }
    if (ReportFile.open || SetsCsvFile.open)
        std::abort();   // a listing left open after ReadPCG
    // Every log ends with the two closing lines, whatever the input.
    if (!logged)
        return 0;
    static const std::string closing = "Closing: f_out.txt\r\nClosing: f_out.txt_sets.csv\r\n";
    if (Log.size() < closing.size() || Log.compare(Log.size() - closing.size(), closing.size(), closing) != 0)
        std::abort();
    return 0;
}
