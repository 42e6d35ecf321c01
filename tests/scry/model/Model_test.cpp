// scry's model against bankscry's own listings, and what it says of files it cannot read whole.
#include <cstdio>
#include <memory>
#include <set>
#include <thread>

#include "CRC32/CRC32.h"
#include "Korg_Kronos_Defs/BankNames.h"
#include "Platform/Platform.h"
#include "ScrySupport.h"
#include "StStrL/StStrL.h"
#include "TestSupport.h"
#include "model/Model.h"
#include "model/Vocabulary.h"
#include "text/Json.h"
#include "text/Words.h"

using namespace pcgw;

namespace {

// "%24s" of a name, as the report right-aligns it.
std::string Right24(const std::string& name)
{
    char text[64];
    std::snprintf(text, sizeof text, "%24s", name.c_str());
    return text;
}

std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    return lines;
}

using ScryModel = InMemoryRun;

}   // namespace

// For every set list, slot, program and combination of the demo, scry's name, fingerprint and
// decoded fields are exactly what bankscry's report and CSV lines say.
TEST_F(ScryModel, AgreesWithBankscrysListingsOnTheDemo)
{
    const std::string& demo = DemoBytes();
    LogOf("Kronos_Demo.PCG", demo);
    const std::vector<std::string> report = CrLfLines(Read("Kronos_Demo_out.txt"));
    const std::vector<std::string> csv = CrLfLines(Read("Kronos_Demo_out.txt_sets.csv"));
    const scry::FileModel model = scry::ReadModelOfBytes("Kronos_Demo.PCG", demo);
    ASSERT_FALSE(model.Damaged());

    std::vector<std::string> expectReport, expectCsv;
    for (const scry::Bank& bank : model.banks) {
        ASSERT_TRUE(bank.loaded) << bank.name;
        for (std::size_t i = 0; i < bank.setLists.size(); ++i) {
            const scry::SetList& list = bank.setLists[i];
            char head[64];
            std::snprintf(head, sizeof head, "SETLIST %03zu \"%s\"", i, Right24(list.name).c_str());
            expectReport.push_back(std::string(head) + " EQ: " + HexLong(list.eq));
            for (std::size_t j = 0; j < list.slots.size(); ++j) {
                const scry::Slot& slot = list.slots[j];
                const SlotAttributes& f = slot.fields;
                char line[256];
                std::snprintf(line, sizeof line, "%s Slot %03zu \"%s\" %s", head, j, Right24(slot.name).c_str(),
                              HexLong(slot.fingerprint).c_str());
                expectReport.push_back(line);
                std::string setName = list.name.empty() ? " " : list.name;
                std::string slotName = slot.name.empty() ? " " : slot.name;
                for (std::string* name : {&setName, &slotName})
                    for (char& c : *name)
                        c = c == ',' ? '_' : c;
                const char* typeText[] = {"Combi", " Prog", " Song", "Type3"};
                std::snprintf(line, sizeof line,
                              "%03zu/%zu, %s,%s, %5s, %s%03u, Color %u, Font %u,  Transpose %u, HoldTime %u, "
                              "Volume %u, Kbd_Track %u",
                              i, j, setName.c_str(), slotName.c_str(), typeText[f.SlotType & 3u],
                              SlotBankName(f.SlotType, f.Bank).c_str(), f.Number, f.Color, f.Font, f.Transpose,
                              f.HoldTime, f.Volume, f.Kbd_Track);
                expectCsv.push_back(line);
            }
        }
        for (std::size_t i = 0; i < bank.records.size(); ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "%s%4s%03zu \"%s\" %s", bank.kind == Kind::CMB1 ? "COMBI   " : "PROGRAM ",
                          bank.name.c_str(), i, Right24(bank.records[i].name).c_str(),
                          HexLong(bank.records[i].fingerprint).c_str());
            expectReport.push_back(line);
        }
    }
    EXPECT_EQ(expectReport.size(), 17792u);
    EXPECT_EQ(expectReport, report);
    EXPECT_EQ(expectCsv, csv);
    // The chunks bankscry passes over are in the model too, in file order.
    std::vector<std::string> ids;
    for (const scry::Chunk& chunk : model.chunks)
        ids.push_back(IdText(chunk.id));
    EXPECT_EQ(ids, (std::vector<std::string>{"INI2", "DIV1", "SLS1", "PRG1", "CMB1", "DKT1", "WSQ1", "ARP1", "GLB1"}));
    EXPECT_EQ(model.tailSize, 0);
    EXPECT_EQ(model.head, demo.substr(0, 28));
}

TEST(ScryRead, RefusedFilesAreUnreadable)
{
    const auto refusal = [](const std::string& bytes) {
        try {
            scry::ReadModelOfBytes("x.PCG", bytes);
        } catch (const scry::Unreadable& unreadable) {
            return scry::UnreadableText("x.PCG", unreadable);
        }
        return std::string("read");
    };
    EXPECT_EQ(refusal(""), "x.PCG: empty file");
    EXPECT_EQ(refusal("not a pcg file at all"), "x.PCG: not a PCG file (no KORG header)");
    EXPECT_EQ(refusal(FileHeader(0x51) + Chunk("PCG1", "")),
              "x.PCG: a PCG file of neither the Triton nor the Kronos format");
    EXPECT_EQ(refusal(FileHeader()), "x.PCG: not a PCG file (no PCG1 container)");
    EXPECT_EQ(refusal(PcgFile(ChunkHead("XYZ1", 0x80000000u))).rfind("x.PCG: size 2147483648 of chunk XYZ1", 0), 0u);
}

// What stops the walk short, or is not there, is said; a whole file has nothing to say.
TEST(ScryRead, DamageIsSaid)
{
    EXPECT_FALSE(Small().Model().Damaged());

    // A bank that fails its size check: the walk stops there, and what follows is not met.
    const scry::FileModel refused = scry::ReadModelOfBytes(
        "x", PcgFile(Chunk("PRG1", Chunk("PBK1", BankHead(64, 4960, 0)))) + ChunkHead("GLB1", 100) + "short");
    ASSERT_EQ(refused.banks.size(), 1u);
    EXPECT_FALSE(refused.banks[0].loaded);
    EXPECT_EQ(refused.problems.size(), 1u);
    EXPECT_EQ(refused.chunks.size(), 1u);

    // A file that ends inside a chunk.
    const scry::FileModel cut =
        scry::ReadModelOfBytes("x", PcgFile(Chunk("DKT1", "kit")) + ChunkHead("GLB1", 100) + "short");
    ASSERT_EQ(cut.chunks.size(), 2u);
    EXPECT_FALSE(cut.chunks[0].cut);
    EXPECT_TRUE(cut.chunks[1].cut);
    EXPECT_EQ(ProblemTexts(cut),
              Texts{"the file ends inside chunk GLB1 at offset 43 (100 bytes announced, 5 present)"});

    // A file cut where a chunk ends: shorter than its container announces.
    const std::string whole = Small().Bytes();
    const std::size_t glb1 = whole.find("GLB1");
    const scry::FileModel boundary = scry::ReadModelOfBytes("x", whole.substr(0, glb1));
    EXPECT_EQ(ProblemTexts(boundary), Texts{"the file is " + std::to_string(whole.size() - glb1) +
                                            " bytes shorter than its container announces (" +
                                            std::to_string(whole.size()) + " bytes): it was cut short"});
}

// Sizes that lie: a bank header that says another count or record size than the bank is listed
// with, a container smaller than its chunks, bytes after the last chunk. Each is damage, said.
TEST(ScryRead, LyingSizesAreDamage)
{
    const Small small;
    const auto withBanks = [&](const std::string& setListHead, const std::string& programHead) {
        return PcgFile(Chunk("SLS1", Chunk("SBK1", setListHead + small.setLists)) +
                       Chunk("PRG1", Chunk("PBK1", programHead + small.programs)) + Chunk("GLB1", "g"));
    };
    const std::string truthful = withBanks(BankHead(128, pcgw::SetListSize, 0), BankHead(128, pcgw::ProgramSize, 0));
    EXPECT_FALSE(scry::ReadModelOfBytes("x", truthful).Damaged());
    // 200 set lists claimed; 64 programs of twice the size, the same bytes in all.
    const scry::FileModel lying = scry::ReadModelOfBytes(
        "x", withBanks(BankHead(200, pcgw::SetListSize, 0), BankHead(64, 2 * pcgw::ProgramSize, 0)));
    EXPECT_EQ(
        ProblemTexts(lying),
        (Texts{"bank SBK1: its header says 200 records of 69416 bytes, where the bank holds, and is listed as, 128 "
               "records of its kind's size",
               "bank PBK1 I-A: its header says 64 records of 9920 bytes, where the bank holds, and is listed as, "
               "128 records of its kind's size"}));
    EXPECT_EQ(lying.banks[1].records.size(), 128u);   // listed all the same
    // A container that announces 4 bytes, chunks after it.
    std::string small4 = truthful;
    small4.replace(20, 4, std::string("\0\0\0\4", 4));
    EXPECT_EQ(ProblemTexts(scry::ReadModelOfBytes("x", small4)),
              Texts{"the container announces 4 bytes, to byte 32, but its chunks run to byte " +
                    std::to_string(truthful.size())});
    // A chunk after the container's end, and bytes after the last chunk that no chunk holds.
    EXPECT_EQ(ProblemTexts(scry::ReadModelOfBytes("x", truthful + Chunk("DKT1", "kit"))),
              Texts{"the container announces " + std::to_string(truthful.size() - 28) + " bytes, to byte " +
                    std::to_string(truthful.size()) + ", but its chunks run to byte " +
                    std::to_string(truthful.size() + 15)});
    const scry::FileModel tail = scry::ReadModelOfBytes("x", truthful + "tail");
    EXPECT_EQ(ProblemTexts(tail), Texts{"4 bytes after the last chunk, from offset " + std::to_string(truthful.size()) +
                                        ", that no chunk holds"});
}

// Sizes that lie inside the container: the walk reads a bank by its bank header, so a bank
// chunk's own size, or that of the chunk holding it, would otherwise go unseen.
TEST(ScryRead, ChunkSizesThatLieInsideTheContainerAreDamage)
{
    const Small small;
    const std::string sbk1Body = BankHead(128, pcgw::SetListSize, 0) + small.setLists;
    const std::string pbk1Body = BankHead(128, pcgw::ProgramSize, 0) + small.programs;
    const auto file = [&](std::uint32_t sbk1Size, std::uint32_t pbk1Size, std::uint32_t prg1Size) {
        const std::string prg1Body = ChunkHead("PBK1", pbk1Size) + pbk1Body;
        return PcgFile(Chunk("SLS1", ChunkHead("SBK1", sbk1Size) + sbk1Body) + ChunkHead("PRG1", prg1Size) + prg1Body +
                       Chunk("GLB1", "g"));
    };
    const auto sbk1 = static_cast<std::uint32_t>(sbk1Body.size());
    const auto pbk1 = static_cast<std::uint32_t>(pbk1Body.size());
    const auto prg1 = pbk1 + 12;
    ASSERT_FALSE(scry::ReadModelOfBytes("x", file(sbk1, pbk1, prg1)).Damaged());
    const std::string pbk1At = std::to_string(28 + 12 + 12 + sbk1 + 12);
    const std::string lie = "bank PBK1 I-A at offset " + pbk1At + ": its chunk header says ";
    const std::string truth = " bytes, where its bank header and records take " + std::to_string(pbk1);
    EXPECT_EQ(ProblemTexts(scry::ReadModelOfBytes("x", file(sbk1, 0x7FFFFFFF, prg1))),
              Texts{lie + "2147483647" + truth});
    EXPECT_EQ(ProblemTexts(scry::ReadModelOfBytes("x", file(sbk1, 100, prg1))), Texts{lie + "100" + truth});
    // A set-list bank that claims nearly 4 GB: it says so, and runs past the chunk that holds it.
    const scry::FileModel setLists = scry::ReadModelOfBytes("x", file(0xFFFFFFF0, pbk1, prg1));
    ASSERT_EQ(ProblemTexts(setLists).size(), 1u);
    EXPECT_EQ(
        ProblemTexts(setLists)[0],
        "bank SBK1 at offset 40: its chunk header says 4294967280 bytes, where its bank header and records take " +
            std::to_string(sbk1));
    // PRG1 that claims 12 bytes while its bank runs on.
    const std::string prg1End = std::to_string(std::stoll(pbk1At) + 12);
    EXPECT_EQ(ProblemTexts(scry::ReadModelOfBytes("x", file(sbk1, pbk1, 12))),
              Texts{"bank PBK1 I-A at offset " + pbk1At + " runs to byte " +
                    std::to_string(std::stoll(pbk1At) + 12 + pbk1) + ", past byte " + prg1End +
                    " where the chunk that holds it ends"});
}

// Every cut of a small file, at and just past chunk boundaries as anywhere else, either reads
// whole (only the whole file does) or says what is damaged.
TEST(ScryRead, EveryCutIsDamageOrRefusal)
{
    const std::string whole = Small().Bytes();
    std::set<std::size_t> at;
    for (std::size_t cut = 0; cut < 200; ++cut)
        at.insert(cut);
    for (const char* id : {"SLS1", "SBK1", "PRG1", "PBK1", "CMB1", "CBK1", "GLB1"})
        for (const std::size_t past : {0, 1, 11, 12, 13, 24, 25})
            at.insert(whole.find(id) + past);
    for (std::size_t cut = 200; cut < whole.size(); cut += whole.size() / 40)
        at.insert(cut);
    std::size_t cuts = 0;
    for (const std::size_t cut : at) {
        try {
            const scry::FileModel model = scry::ReadModelOfBytes("x", whole.substr(0, cut));
            EXPECT_TRUE(model.Damaged()) << "cut at " << cut;
        } catch (const scry::Unreadable&) {
            EXPECT_LT(cut, 28u) << "cut at " << cut;   // only the headers make a file no PCG
        }
        ++cuts;
    }
    EXPECT_GT(cuts, 250u);
}

TEST(ScryRead, ShortSetListBankMarksWhatFollowsUnreadable)
{
    Small small;
    const std::string whole = small.Bytes();
    // Cut inside slot 5 of set list 0: set-list bank data starts after 16 + 12 + 12 + 12 + 12.
    const std::size_t data = 16 + 12 + 12 + 12 + 12;
    const scry::FileModel model = scry::ReadModelOfBytes("x", whole.substr(0, data + SlotOffset(0, 5) + 100));
    ASSERT_EQ(model.banks.size(), 1u);
    const scry::SetList& list = model.banks[0].setLists[0];
    EXPECT_FALSE(list.readable);
    EXPECT_TRUE(list.slots[4].readable);
    EXPECT_FALSE(list.slots[5].readable);
    EXPECT_FALSE(model.banks[0].setLists[1].slots[0].readable);
    EXPECT_TRUE(model.Damaged());
}

// Chunks whose ids are all zero bytes are one entry of the model, however many there are.
TEST(ScryRead, ZeroPaddingIsOneEntry)
{
    const std::string padded = PcgFile(Chunk("GLB1", "g") + std::string(120000, '\0') + Chunk("DKT1", "k"));
    const scry::FileModel model = scry::ReadModelOfBytes("x", padded);
    ASSERT_EQ(model.chunks.size(), 3u);
    EXPECT_EQ(IdText(model.chunks[0].id), "GLB1");
    EXPECT_TRUE(model.chunks[1].padding);
    EXPECT_EQ(model.chunks[1].offset, 16 + 12 + 13);
    EXPECT_EQ(model.chunks[1].size, 120000u);
    EXPECT_EQ(IdText(model.chunks[2].id), "DKT1");
    EXPECT_EQ(ProblemTexts(model), Texts{"zero padding from offset 41, 120000 bytes"});
    // The same padding gives the same fingerprint; other bytes around it do not change it.
    const scry::FileModel again = scry::ReadModelOfBytes("y", PcgFile(Chunk("ARP1", "a") + std::string(120000, '\0')));
    EXPECT_EQ(again.chunks[1].fingerprint, model.chunks[1].fingerprint);
}

TEST(ScryRead, BanksOfOneNameAreCounted)
{
    const std::string programs = Records(pcgw::ProgramSize);
    const scry::FileModel model =
        scry::ReadModelOfBytes("x", PcgFile(Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs) +
                                                              BankChunk("PBK1", 1, pcgw::ProgramSize, programs) +
                                                              BankChunk("PBK1", 0, pcgw::ProgramSize, programs) +
                                                              BankChunk("PBK1", 0, pcgw::ProgramSize, programs))));
    ASSERT_EQ(model.banks.size(), 4u);
    EXPECT_EQ(scry::BankLabel(model.banks[0]), "I-A (1st of 3)");
    EXPECT_EQ(scry::BankLabel(model.banks[1]), "I-B");
    EXPECT_EQ(scry::BankLabel(model.banks[2]), "I-A (2nd of 3)");
    EXPECT_EQ(scry::BankLabel(model.banks[3]), "I-A (3rd of 3)");
}

// An error that names a chunk id from the file shows the id escaped.
TEST(ScryRead, ErrorsShowIdsEscaped)
{
    try {
        scry::ReadModelOfBytes("x.PCG", PcgFile(ChunkHead("X\nY\x1B", 0x80000000u)));
        FAIL() << "read";
    } catch (const scry::Unreadable& unreadable) {
        EXPECT_EQ(scry::UnreadableText("x.PCG", unreadable),
                  "x.PCG: size 2147483648 of chunk X\\x0AY\\x1B is beyond 2147483647, too far to seek");
    }
}

// Each chunk's fingerprint is that of the bytes it holds in the file, up to where the file ends,
// however the walk handed its banks on: all at once from memory, a run at a time from a file,
// whole or cut inside a bank, a chunk header or between banks.
TEST_F(ScryFiles, ChunkFingerprintsAreThoseOfTheirBytes)
{
    const std::string small = Small().Bytes();
    std::vector<std::pair<std::string, std::string>> files{{"demo", DemoBytes()}, {"small", small}};
    for (const char* id : {"SBK1", "PRG1", "PBK1", "CBK1"})
        for (const std::size_t past : {0, 5, 12, 30, 70000, 300000})
            files.emplace_back(std::string(id) + "+" + std::to_string(past), small.substr(0, small.find(id) + past));
    std::size_t chunks = 0;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const auto& [label, bytes] = files[k];
        // A file of its own each time: the reader may keep the last one mapped, and Windows
        // does not let a mapped file be written over.
        std::string name = "f";
        name += std::to_string(k);
        name += ".PCG";
        Write(name, bytes);
        std::unique_ptr<InputStream, decltype(&CloseInput)> file(OpenInput(Path(name)), &CloseInput);
        ASSERT_NE(file, nullptr);
        for (const scry::FileModel& model : {scry::ReadModelOfBytes("m", bytes), scry::ReadModel(*file, "f")}) {
            ASSERT_FALSE(model.chunks.empty()) << label;
            for (const scry::Chunk& chunk : model.chunks) {
                if (chunk.padding)
                    continue;
                const std::size_t data = static_cast<std::size_t>(chunk.offset) + 12;
                const std::string held = data < bytes.size() ? bytes.substr(data, chunk.size) : "";
                const auto* start = reinterpret_cast<const std::uint8_t*>(held.data());
                EXPECT_EQ(chunk.fingerprint,
                          Crc32RunFinish(Crc32RunFeed(Crc32RunStart, start, held.size()), held.size()))
                    << label << ", chunk " << chunk.id << " at " << chunk.offset;
                ++chunks;
            }
        }
    }
    EXPECT_GT(chunks, 60u);
}

// Models of several files built on several threads at once are those built one after the other:
// a walk keeps nothing of its own anywhere another walk reads.
TEST_F(ScryFiles, ModelsBuiltOnTwoThreadsAtOnceAreThoseBuiltOneAfterTheOther)
{
    Small edited;
    SetSlot(edited.setLists, 0, 4, "Other", PackSlot(0, 3, 1, 2, 1, 7, 0, 80, 0));
    const std::vector<std::string> files{DemoBytes(), Small().Bytes(), edited.Bytes(),
                                         Small().Bytes().substr(0, 200000)};
    for (std::size_t k = 0; k < files.size(); ++k)
        Write("t" + std::to_string(k) + ".PCG", files[k]);
    const auto json = [&](std::size_t k, bool fromFile) {
        std::string out;
        if (fromFile) {
            std::unique_ptr<InputStream, decltype(&CloseInput)> file(OpenInput(Path("t" + std::to_string(k) + ".PCG")),
                                                                     &CloseInput);
            scry::WriteJson(out, {scry::ReadModel(*file, "t")}, true);
        } else {
            scry::WriteJson(out, {scry::ReadModelOfBytes("t", files[k])}, true);
        }
        return out;
    };
    std::vector<std::string> alone;
    for (std::size_t k = 0; k < files.size(); ++k)
        alone.push_back(json(k, false));
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string> first(files.size()), second(files.size());
        std::thread other([&] {
            for (std::size_t k = 0; k < files.size(); ++k)
                second[k] = json(files.size() - 1 - k, round % 2 == 0);
        });
        for (std::size_t k = 0; k < files.size(); ++k)
            first[k] = json(k, round % 2 == 1);
        other.join();
        // Compared whole: a page of differences would say nothing more.
        for (std::size_t k = 0; k < files.size(); ++k) {
            EXPECT_TRUE(first[k] == alone[k]) << "file " << k << ", round " << round;
            EXPECT_TRUE(second[k] == alone[files.size() - 1 - k])
                << "file " << files.size() - 1 - k << ", round " << round;
        }
    }
}

// The bytes of a chunk outside the banks it holds (headers, the set-list data bank apart) have a
// fingerprint of their own, which no record's change moves.
TEST(ScryRead, ChunkFramesAndTheSetListDataBank)
{
    const auto setLists = [](const std::string& data, std::uint32_t parm2, const std::string& lists) {
        return PcgFile(Chunk("SLS1", Chunk("SLD1", BankChunk("SDB1", 0, pcgw::Sdb1Size, data), parm2) +
                                         Chunk("STL1", BankChunk("SBK1", 0, pcgw::SetListSize, lists))));
    };
    std::string data = Records(pcgw::Sdb1Size, 1);
    const std::string lists = Small().setLists;
    std::string otherLists = lists;
    otherLists[pcgw::SlotOffset(3, 3) + 100] = 1;
    const scry::FileModel model = scry::ReadModelOfBytes("x", setLists(data, 0, lists));
    ASSERT_EQ(model.dataBanks.size(), 1u);
    EXPECT_EQ(model.dataBanks[0].size, pcgw::Sdb1Size);
    EXPECT_TRUE(model.chunks[0].holdsBanks);
    const scry::FileModel slotChanged = scry::ReadModelOfBytes("x", setLists(data, 0, otherLists));
    const scry::FileModel headerChanged = scry::ReadModelOfBytes("x", setLists(data, 7, lists));
    data[1000] = 5;
    const scry::FileModel dataChanged = scry::ReadModelOfBytes("x", setLists(data, 0, lists));
    EXPECT_NE(slotChanged.chunks[0].fingerprint, model.chunks[0].fingerprint);
    EXPECT_EQ(slotChanged.chunks[0].frame, model.chunks[0].frame);
    EXPECT_NE(headerChanged.chunks[0].frame, model.chunks[0].frame);
    EXPECT_EQ(dataChanged.chunks[0].frame, model.chunks[0].frame);
    EXPECT_NE(dataChanged.dataBanks[0].fingerprint, model.dataBanks[0].fingerprint);
}
