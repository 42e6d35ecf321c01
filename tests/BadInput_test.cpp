// Hostile input: cut files, extreme header fields and odd ids. Every run must end as specified,
// never hang or crash.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "PcgWriter.h"
#include "TestSupport.h"
#include "StStrL/StStrL.h"

using namespace pcgw;

namespace {

// A file with every kind of chunk at real sizes, and where each of its headers stands.
struct Realistic {
    std::string bytes;
    std::vector<std::size_t> headers;       // offsets of every 12- or 16-byte header
    std::vector<std::size_t> sizeFields;    // offsets of every chunk header's size field
    std::vector<std::size_t> bankHeaders;   // offsets of every bank header (numProgs, objSize, bankId)
    std::size_t setListsFrom = 0;           // the set-list bank is listed once the walk is past here
    std::vector<std::size_t> bankEnds;      // end of each program or combination bank's data
};

Realistic MakeRealistic()
{
    Realistic f;
    std::string body;
    const std::size_t base = 16 + 12;   // file header and container header
    const auto chunkHeader = [&](std::size_t at) {
        f.headers.push_back(base + at);
        f.sizeFields.push_back(base + at + 4);
    };
    const auto bank = [&](const char* id, std::uint32_t bankId, std::size_t recordSize, std::size_t count,
                          std::uint32_t seed) {
        std::string records = Records(recordSize, count);
        FillRecords(records, recordSize, seed);
        SetRecordName(records, recordSize, 0, std::string(id) + " first");
        chunkHeader(body.size());
        f.headers.push_back(base + body.size() + 12);
        f.bankHeaders.push_back(base + body.size() + 12);
        body += Chunk(id, BankHead(static_cast<std::uint32_t>(count), static_cast<std::uint32_t>(recordSize), bankId) +
                              records);
    };
    // A parent chunk whose contents follow; its size is patched in once they are there.
    const auto open = [&](const char* id) {
        chunkHeader(body.size());
        body += ChunkHead(id, 0);
        return body.size();
    };
    const auto close = [&](std::size_t contentStart) {
        const std::string size = Be32(static_cast<std::uint32_t>(body.size() - contentStart));
        body.replace(contentStart - 8, 4, size);
    };
    const auto plain = [&](const char* id, std::size_t size) {
        chunkHeader(body.size());
        std::string content(size, '\0');
        FillRecords(content, size, 77);
        body += Chunk(id, content);
    };

    plain("INI2", 44);
    const std::size_t sls = open("SLS1");
    const std::size_t sld = open("SLD1");
    bank("SDB1", 0, Sdb1Size, 1, 1);
    close(sld);
    const std::size_t stl = open("STL1");
    f.setListsFrom = base + body.size() + 12;
    bank("SBK1", 0, SetListSize, BankRecords, 2);
    close(stl);
    close(sls);
    const std::size_t prg = open("PRG1");
    bank("PBK1", 0, ProgramSize, BankRecords, 3);
    f.bankEnds.push_back(base + body.size());
    bank("MBK1", 0x20007, ProgramSize, BankRecords, 4);
    f.bankEnds.push_back(base + body.size());
    close(prg);
    const std::size_t cmb = open("CMB1");
    bank("CBK1", 0x20000, CombiSize, BankRecords, 5);
    f.bankEnds.push_back(base + body.size());
    close(cmb);
    plain("DKT1", 1000);
    plain("GLB1", 16);
    f.bytes = PcgFile(body);
    f.headers.insert(f.headers.begin(), {0, 16});
    f.sizeFields.insert(f.sizeFields.begin(), 20);
    return f;
}

const Realistic& TheRealistic()
{
    static const Realistic f = MakeRealistic();
    return f;
}

const std::string Closing = ClosingLines("f_out.txt");

struct Timed {
    std::string log;
    double seconds;
};

class BadInput : public InMemoryRun {
protected:
    // A run that must end within seconds, even emulated: anything slower is a hang in the making.
    Timed TimedRun(const std::string& bytes)
    {
        const auto start = std::chrono::steady_clock::now();
        std::string log = LogOf("f.PCG", bytes);
        return {std::move(log), std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    }
};

std::string Patched(std::string bytes, std::size_t at, std::uint32_t value)
{
    bytes.replace(at, 4, Be32(value));
    return bytes;
}

const std::uint32_t ExtremeValues[] = {0, 1, 11, 12, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};

}   // namespace

// The file is written once and cut shorter and shorter: at every header, in the middle of
// every header, and at 1,000 random offsets. Each cut ends the walk quietly with both closing
// lines; exactly the banks that were whole before the cut are listed.
TEST_F(BadInput, EveryCutEndsAsSpecified)
{
    const Realistic& f = TheRealistic();
    std::vector<std::size_t> cuts;
    for (const std::size_t at : f.headers)
        for (const std::size_t offset : {0u, 6u, 12u})
            cuts.push_back(at + offset);
    Random random(20261207);
    for (int i = 0; i < 1000; ++i)
        cuts.push_back(random.Next() % f.bytes.size());
    std::sort(cuts.begin(), cuts.end(), std::greater<>());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    RecordProperty("cuts", static_cast<int>(cuts.size()));

    for (const std::size_t cut : cuts) {
        const Timed timed = TimedRun(f.bytes.substr(0, cut));
        EXPECT_LT(timed.seconds, 5.0) << "cut at " << cut;
        ASSERT_TRUE(EndsWith(timed.log, Closing)) << "cut at " << cut << "\n" << timed.log;
        EXPECT_EQ(timed.log.find("Could not open"), std::string::npos) << "cut at " << cut;
        const std::string report = Read("f_out.txt");
        const std::size_t wholeBanks = static_cast<std::size_t>(
            std::count_if(f.bankEnds.begin(), f.bankEnds.end(), [cut](std::size_t end) { return end <= cut; }));
        // A header that ends the file is taken for its end: the bank after it must have begun.
        const bool setLists = cut > f.setListsFrom;
        EXPECT_EQ(CountLines(report), (setLists ? 16512u : 0u) + 128 * wholeBanks) << "cut at " << cut;
        EXPECT_TRUE(report.empty() || EndsWith(report, "\r\n")) << "cut at " << cut;
        EXPECT_EQ(CountLines(Read("f_out.txt_sets.csv")), setLists ? 16384u : 0u) << "cut at " << cut;
    }
}

// 0, 1, 11, 12, 2^31 - 1, 2^31 and 2^32 - 1 in every size field and every bank header field.
TEST_F(BadInput, ExtremeHeaderFields)
{
    const Realistic& f = TheRealistic();
    ASSERT_TRUE(EndsWith(LogOf("f.PCG", f.bytes), Closing));
    const std::string plainReport = Read("f_out.txt");
    int runs = 0;
    const auto check = [&](std::size_t at, std::uint32_t value, const char* what) {
        const Timed timed = TimedRun(Patched(f.bytes, at, value));
        ++runs;
        const std::string where = std::string(what) + " at " + std::to_string(at) + " = " + std::to_string(value);
        EXPECT_LT(timed.seconds, 5.0) << where;
        // Either the walk ends, or an error passes through the clean-up to the one line of the driver.
        const bool ended = EndsWith(timed.log, Closing);
        const bool failed = EndsWith(timed.log, Closing + "Could not open f.PCG\r\n");
        EXPECT_TRUE(ended || failed) << where << "\n" << timed.log;
        return timed.log;
    };

    for (const std::uint32_t value : ExtremeValues) {
        // The container size is only shown.
        std::string log = check(20, value, "container size");
        EXPECT_NE(log.find("Size: " + std::to_string(static_cast<std::int32_t>(value)) + " (0x"), std::string::npos);
        EXPECT_EQ(Read("f_out.txt"), plainReport);
        for (std::size_t i = 1; i < f.sizeFields.size(); ++i)
            check(f.sizeFields[i], value, "chunk size");
        for (std::size_t b = 0; b < f.bankHeaders.size(); ++b) {
            const std::size_t at = f.bankHeaders[b];
            const bool listedBank = b >= 2;   // the set-list walk does not look at its bank headers
            for (const std::size_t field : {0u, 4u}) {
                log = check(at + field, value, field == 0 ? "numProgs" : "objSize");
                if (listedBank) {
                    // Nothing of a refused bank is read, so the walk ends there.
                    EXPECT_NE(log.find("Error: bank header data size ("), std::string::npos);
                    EXPECT_EQ(CountLines(Read("f_out.txt")), 16512 + 128 * (b - 2));
                } else {
                    EXPECT_EQ(Read("f_out.txt"), plainReport);
                }
            }
            log = check(at + 8, value, "bankId");
            if (listedBank) {
                EXPECT_NE(log.find("BankID: " + HexLong(value)), std::string::npos) << value;
            }
            EXPECT_EQ(CountLines(Read("f_out.txt")), CountLines(plainReport));
        }
    }
    // A skip of 2^31 bytes or more is a range error, never a wrong seek.
    const std::size_t dkt = f.sizeFields[f.sizeFields.size() - 2];
    EXPECT_TRUE(EndsWith(check(dkt, 0x80000000u, "DKT1 size"), "Could not open f.PCG\r\n"));
    EXPECT_TRUE(EndsWith(check(dkt, 0x7FFFFFFFu, "DKT1 size"), Closing));
    RecordProperty("runs", runs);
}

TEST_F(BadInput, OddIdsAtBothLevels)
{
    const std::string lowerCase = Chunk("prg1", "x");
    const std::string nul = Chunk(std::string(4, '\0'), "yz");
    const std::string bankAtTop = Chunk("PBK1", BankHead(128, 4960, 0));
    const std::string inside =
        Chunk("PRG1", Chunk("zzz1", "q") + Chunk(std::string("\0\0\0\0", 4), "") + Chunk("SBK1", "w"));
    const std::string log = LogOf("f.PCG", PcgFile(lowerCase + nul + bankAtTop + inside + Chunk("GLB1", "")));
    EXPECT_NE(log.find("   Name: prg1  Size: 1 (0x1)\r\nL2: Skipping over prg1 chunk. \r\n"), std::string::npos);
    EXPECT_NE(log.find("   Name:   Size: 2 (0x2)\r\n"), std::string::npos);
    EXPECT_NE(log.find("L2: Skipping over PBK1 chunk. "), std::string::npos);
    EXPECT_NE(log.find("Enter Parse_Chunk with PRG1"), std::string::npos);
    EXPECT_TRUE(EndsWith(log, Closing));
    EXPECT_EQ(Read("f_out.txt"), "");
}
