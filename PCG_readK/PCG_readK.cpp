// File header checks and the top-level walk.
#include "PCG_readK/PCG_readK.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readK/Output.h"
#include "PCG_readK/Parse_Chunk.h"

std::FILE* ReportFile = nullptr;
std::FILE* SetsCsvFile = nullptr;
std::string ReportFileName;
std::string SetsCsvFileName;

namespace {

// The 16-byte file header.
struct PcgFileHeader {
    char magic[4];                 // "KORG"
    std::uint8_t formatCode;       // 0x50 (Triton) or 0x68 (Kronos)
    std::uint8_t mustBeZero;
    std::uint8_t unexamined[10];
};
static_assert(sizeof(PcgFileHeader) == 16);

constexpr std::uint8_t TritonFormat = 0x50;
constexpr std::uint8_t KronosFormat = 0x68;
constexpr std::uint32_t DumpedChunkSize = 44;   // skipped chunks of this size are shown in hex

// Error-path clean-up: closes whatever is still open, report first, and logs each close.
// Never throws: an error is already on its way.
void CloseOutputs(std::FILE** /*report*/) noexcept
{
    for (auto [file, name] : {std::pair{&ReportFile, &ReportFileName}, std::pair{&SetsCsvFile, &SetsCsvFileName}}) {
        if (*file == nullptr)
            continue;
        std::fclose(*file);
        *file = nullptr;
        try {
            LogLine("Closing: %s", name->c_str());
        } catch (...) {
        }
    }
}

// A report must never overwrite the input, nor any other PCG file.
void RefuseToOverwrite(const InputStream& stream, const std::string& name)
{
    if (IsInputFile(stream, name))
        RaiseIoError("cannot create " + name + ": it is the input file", EEXIST);
    if (std::FILE* existing = std::fopen(name.c_str(), "rb")) {
        char magic[4] = {};
        const std::size_t got = std::fread(magic, 1, sizeof magic, existing);
        std::fclose(existing);
        if (got == sizeof magic && std::memcmp(magic, "KORG", 4) == 0)
            RaiseIoError("cannot create " + name + ": it is a PCG file", EEXIST);
    }
}

void CreateOutputs(const InputStream& stream, const std::string& reportFileName)
{
    ReportFileName = reportFileName;
    SetsCsvFileName = reportFileName + SetsCsvSuffix;
    RefuseToOverwrite(stream, ReportFileName);
    RefuseToOverwrite(stream, SetsCsvFileName);
    ReportFile = CreateOutputFile(ReportFileName);
    try {
        SetsCsvFile = CreateOutputFile(SetsCsvFileName);
    } catch (...) {
        std::fclose(ReportFile);
        ReportFile = nullptr;
        throw;
    }
}

// Logs and passes over one chunk whose header is in the buffer; reads the next header.
void SkipChunk(InputStream& stream, ChunkHeader& header, std::size_t& n, std::uint8_t (&dump)[DumpedChunkSize])
{
    const std::string id = IdText(header.id);
    const std::uint32_t size = Swapped(header.size);
    LogLine("   Name: %s  Size: %d (0x%X)", id.c_str(), static_cast<std::int32_t>(size), size);
    LogLine("L2: Skipping over %s chunk. ", id.c_str());
    Swap32(header.size);
    if (header.size == DumpedChunkSize) {
        InputRead(stream, dump, sizeof dump);
        for (const std::uint8_t byte : dump)
            LogPiece("%2.2X ", byte);
        LogLineEnd();
        for (std::size_t i = 0; i < sizeof dump; i += 4) {
            const std::uint32_t word = std::uint32_t{dump[i]} << 24 | std::uint32_t{dump[i + 1]} << 16 |
                                       std::uint32_t{dump[i + 2]} << 8 | dump[i + 3];
            LogPiece("  %8.8X  ", word);
        }
        LogLineEnd();
    } else {
        SkipForward(stream, header.size, header.id);
        LogPiece("Seeking  %d (%X) bytes", static_cast<std::int32_t>(header.size), header.size);
    }
    n = InputRead(stream, &header, sizeof header);
    LogLine(" --  Next:  %s ", IdText(header.id).c_str());
}

void WalkFile(InputStream& stream, bool topLevelOnly)
{
    PcgFileHeader fileHeader{};
    ChunkHeader container{};
    ChunkHeader header{};
    std::uint8_t dump[DumpedChunkSize] = {};

    const std::size_t headerBytes = InputRead(stream, &fileHeader, sizeof fileHeader);
    if (headerBytes < sizeof fileHeader || std::memcmp(fileHeader.magic, "KORG", 4) != 0 ||
        fileHeader.mustBeZero != 0) {
        LogLine("PCG file does not have a valid KORG header.");
        return;
    }
    if (fileHeader.formatCode != TritonFormat && fileHeader.formatCode != KronosFormat) {
        LogLine("This PCG is not in Triton or Kronos format, so can't read it.");
        return;
    }

    const std::size_t containerBytes = InputRead(stream, &container, sizeof container);
    const std::uint32_t containerSize = Swapped(container.size);
    LogLine("PCGChunk PCG1:   Name: %s  Size: %d (0x%X)", IdText(container.id).c_str(),
            static_cast<std::int32_t>(containerSize), containerSize);
    if (IdOf(container) != PCG1 || containerBytes < sizeof container) {
        LogLine("PCG file does not have a valid PCG header.");
        return;
    }
    LogLine(" Start 2nd level parsing...");

    std::size_t n = 0;
    bool handedBack = false;
    for (;;) {
        if (!handedBack)
            n = InputRead(stream, &header, sizeof header);
        currentKind = ChunkKindOf(IdOf(header));
        while (n == sizeof header && (topLevelOnly || currentKind == 0)) {
            SkipChunk(stream, header, n, dump);
            currentKind = ChunkKindOf(IdOf(header));
        }
        if (n < sizeof header || currentKind == 0) {
            LogLine(" File contains no more programs.");
            return;
        }
        LogLine("Enter Parse_Chunk with %s", IdText(header.id).c_str());
        if (!Parse_Chunk(stream, header, currentKind))
            return;
        handedBack = true;
    }
}

} // namespace

void ReadPCG(InputStream& stream, bool topLevelOnly, const std::string& reportFileName)
{
    CreateOutputs(stream, reportFileName);
    std::unique_ptr<std::FILE*, decltype(&CloseOutputs)> guard(&ReportFile, &CloseOutputs);
    WalkFile(stream, topLevelOnly);
    // Normal end: each close may raise; the guard then closes what is still open.
    CloseOutputFile(ReportFile, ReportFileName);
    LogLine("Closing: %s", ReportFileName.c_str());
    CloseOutputFile(SetsCsvFile, SetsCsvFileName);
    LogLine("Closing: %s", SetsCsvFileName.c_str());
}
