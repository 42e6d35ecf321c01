// libFuzzer target: scry apply on arbitrary text against a fixed file, in memory. A text may be
// refused line by line; one that is taken must give a file that reads whole and reads back as
// the text says and as the old file everywhere else (the check apply makes before it keeps a
// file). Anything else, a crash or a sanitizer finding ends the run.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "write/SetListEdit.h"
#include "write/Written.h"
#include "PcgWriter.h"

namespace {

// Set list 0 with used slots of every kind, a second set list to copy from, a program bank
// I-A and a combination bank I-A.
const std::string& File()
{
    static const std::string bytes = [] {
        using namespace pcgw;
        std::string setLists = Records(pcgw::SetListSize);
        SetRecordName(setLists, pcgw::SetListSize, 0, "Friday");
        SetSlot(setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
        SetSlot(setLists, 0, 2, "Split", {0x04, 0x00, 0x00, 0x00, 0x5A, 0x09});   // kbd 9 over transpose bits 0
        SetSlot(setLists, 0, 3, "Song", PackSlot(2, 15, 3, 0, 7, 43, 255, 0, 15));
        SetSlot(setLists, 1, 0, "Other", {0x93, 0xBF, 0xC8, 0x01, 0x02, 0x03});   // type 3, bank 31
        std::string programs = Records(pcgw::ProgramSize);
        FillRecords(programs, pcgw::ProgramSize, 7);
        std::string combis = Records(pcgw::CombiSize);
        FillRecords(combis, pcgw::CombiSize, 8);
        return PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                       Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) +
                       Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, combis)));
    }();
    return bytes;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const scry::FileModel model = scry::ReadModelOfBytes("f.PCG", File());
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Reading the text alone is quick; a text that reads whole is applied to the file (a copy
    // of its 9 MB of set lists, read back), which is not.
    std::vector<scry::TextFault> faults;
    scry::ReadSetListText(text, faults);
    if (!faults.empty())
        return 0;
    const scry::Applied applied = scry::ApplySetLists(model, File(), {{"t.txt", text}}, true);
    if (!applied.faults.empty())
        return 0;
    static std::string made;   // the new file made whole here, its memory kept from input to input
    applied.made.WholeInto(made);
    if (made.size() != File().size() || scry::ChangedOutside(made, File(), applied.edited) ||
        scry::ChangedOutside(applied.made, applied.edited) ||
        scry::WrongInWritten(scry::ReadModelOfBytes("o.PCG", made), applied))
        std::abort();
    return 0;
}
