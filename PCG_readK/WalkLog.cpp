// The log's templates, one per step of the walk.
#include "PCG_readK/WalkLog.h"

#include <string>

#include "Output/Output.h"
#include "StStrL/StStrL.h"

namespace {

// Written before a program bank's size check, without a line end.
const char* BankLogPrefix(ChunkId id)
{
    switch (id) {
    case PBK1: return "HD1 Prog: PBK1 ";
    case MBK1: return "EXi Prog: MBK1 ";
    default: return "";
    }
}

// An id text as a NUL-ended text for the templates.
std::string Id(const WalkNote& note) { return std::string(note.id); }

std::int32_t Signed(std::uint32_t value) { return static_cast<std::int32_t>(value); }
std::int32_t Signed(std::int64_t value) { return static_cast<std::int32_t>(value); }
std::uint32_t Unsigned(std::int64_t value) { return static_cast<std::uint32_t>(value); }

}   // namespace

void LogWalkNote(const WalkNote& note)
{
    switch (note.step) {
    case WalkStep::KorgHeaderRefused: LogLine("PCG file does not have a valid KORG header."); break;
    case WalkStep::FormatRefused: LogLine("This PCG is not in Triton or Kronos format, so can't read it."); break;
    case WalkStep::Container:
        LogLine("PCGChunk PCG1:   Name: %s  Size: %d (0x%X)", Id(note).c_str(), Signed(note.size), note.size);
        break;
    case WalkStep::ContainerRefused: LogLine("PCG file does not have a valid PCG header."); break;
    case WalkStep::WalkStarts: LogLine(" Start 2nd level parsing..."); break;
    case WalkStep::Skipping:
        LogLine("   Name: %s  Size: %d (0x%X)", Id(note).c_str(), Signed(note.size), note.size);
        LogLine("L2: Skipping over %s chunk. ", Id(note).c_str());
        break;
    case WalkStep::Dumped:
        for (std::size_t i = 0; i < note.count; ++i)
            LogPiece("%2.2X ", note.bytes[i]);
        LogLineEnd();
        for (std::size_t i = 0; i + 4 <= note.count; i += 4) {
            const std::uint8_t* b = note.bytes + i;
            LogPiece("  %8.8X  ",
                     std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3]);
        }
        LogLineEnd();
        break;
    case WalkStep::SoughtPast: LogPiece("Seeking  %d (%X) bytes", Signed(note.size), note.size); break;
    case WalkStep::Next: LogLine(" --  Next:  %s ", Id(note).c_str()); break;
    case WalkStep::NoMoreChunks: LogLine(" File contains no more programs."); break;
    case WalkStep::EnterChunk: LogLine("Enter Parse_Chunk with %s", Id(note).c_str()); break;
    case WalkStep::SetListsStart: LogLine("Parse_chunk - SLS1: "); break;
    case WalkStep::EndOfData: LogLine("End Of File encountered"); break;
    case WalkStep::SetListPart:
        LogLine("Reading contents of SLS type chunk (%s) of size %d (%X), Parm2: %d (%X)", Id(note).c_str(),
                Signed(note.size), note.size, Signed(note.parm2), note.parm2);
        break;
    case WalkStep::PassingInto: LogLine(" Parsing SLS1 ---- skipping %s", Id(note).c_str()); break;
    case WalkStep::SetListBankHeader:
        LogLine("       Bank Header: #progs: %d, ObjSize %d, BankID: %d", Signed(note.bank->numProgs),
                Signed(note.bank->objSize), Signed(note.bank->bankId));
        break;
    case WalkStep::SetListDataRead:
        LogLine("Reading %s data: %zu (0x%zX) bytes", Id(note).c_str(), note.count, note.count);
        break;
    case WalkStep::UnknownInSetLists:
        LogLine("%s: SLS1 L2 Parse: Not a known chunk in %.4s type. File Position: %d of %lld", Id(note).c_str(),
                ChunkKindName(note.kind).data(), Signed(note.position), static_cast<long long>(note.fileSize));
        break;
    case WalkStep::HandedBack: LogLine("Current chunk is %s: Start Next L2 Chunk Here.....", Id(note).c_str()); break;
    case WalkStep::ChunkLeft: LogLine("Exit Parse_chunk."); break;
    case WalkStep::SeekBack:
        LogLine("Seek back to previous. File Position now: %d (0x%X)", Signed(note.position), Unsigned(note.position));
        break;
    case WalkStep::SkippedAhead:
        LogLine("End of Parse_chunk - %s, skipping ahead %d (%X) from position %d (%X)", note.walkName,
                Signed(note.size), note.size, Signed(note.position), Unsigned(note.position));
        break;
    case WalkStep::ReadingInside:
        LogLine("Reading inside L2 chunk (%s) of size %d (%X) at File Position: %d (0x%X)", Id(note).c_str(),
                Signed(note.size), note.size, Signed(note.position), Unsigned(note.position));
        break;
    case WalkStep::BankChunk: LogLine("       Name: %s  Size: %u", Id(note).c_str(), note.size); break;
    case WalkStep::UnknownInBanks:
        LogLine("%s: PRG1/CMB1 L2 Parse: Not a known chunk in L2 type %d. Current File Position: %d (%X)",
                Id(note).c_str(), note.kind, Signed(note.position), Unsigned(note.position));
        break;
    case WalkStep::OtherKindSkipped:
        LogLine("Other type Parse_chunk - %s, skipping ahead %d (%X) from position %d (%X)", Id(note).c_str(),
                Signed(note.size), note.size, Signed(note.position), Unsigned(note.position));
        break;
    case WalkStep::BankLoadStarts: LogPiece("%s", BankLogPrefix(note.chunkId)); break;
    case WalkStep::SizeMismatch: {
        const std::uint64_t bankSize = std::uint64_t{note.bank->objSize} * note.bank->numProgs;
        LogLine("Error: bank header data size (%u * %u = %llu) doesn't match size of dest array (%zu)",
                note.bank->objSize, note.bank->numProgs, static_cast<unsigned long long>(bankSize), note.count);
        break;
    }
    case WalkStep::BankRead: LogLine("Bank Read: reading %zu bytes into array", note.count); break;
    case WalkStep::BankIdentified: {
        const std::string firstName(note.firstName);
        LogLine("BankID: %s %s NumProgs: %u SizeOfProg: %u 1stName: %s", HexLong(note.bank->bankId).c_str(),
                note.bankName->c_str(), note.bank->numProgs, note.bank->objSize, firstName.c_str());
        break;
    }
    }
}
