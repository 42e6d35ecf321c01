// Reader of the PCG description language.
#include "PcgDescription.h"

#include <cctype>
#include <optional>
#include <sstream>
#include <vector>

#include "PcgWriter.h"

namespace pcgw {

namespace {

struct Frame {
    std::string id;
    std::uint32_t parm2;
    std::string body;
};

struct PendingBank {
    std::string id;
    std::uint32_t bankId;
    std::size_t recordSize;
    std::uint32_t numProgs;
    std::uint32_t objSize;
    std::string records;
};

struct Builder {
    std::string file;
    std::optional<std::size_t> containerAt;   // where a self-sizing container header stands
    std::vector<Frame> frames;
    std::optional<PendingBank> bank;

    std::string& Out() { return frames.empty() ? file : frames.back().body; }

    void FlushBank()
    {
        if (!bank)
            return;
        Out() += ChunkHead(bank->id, static_cast<std::uint32_t>(12 + bank->records.size())) +
                 BankHead(bank->numProgs, bank->objSize, bank->bankId) + bank->records;
        bank.reset();
    }
};

std::vector<std::string> Tokens(const std::string& line, std::size_t lineNo)
{
    std::vector<std::string> tokens;
    std::size_t i = 0;
    const auto fail = [&](const std::string& what) {
        throw DescriptionError("line " + std::to_string(lineNo) + ": " + what);
    };
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == '#') {
            break;
        } else if (line[i] == '"') {
            // Quoted texts keep a leading quote so that they are told from words.
            std::string text = "\"";
            for (++i;; ++i) {
                if (i >= line.size())
                    fail("text without its closing quote");
                if (line[i] == '"')
                    break;
                if (line[i] == '\\' && i + 1 < line.size()) {
                    const char e = line[++i];
                    if (e == 'x' && i + 2 < line.size() && std::isxdigit(static_cast<unsigned char>(line[i + 1])) &&
                        std::isxdigit(static_cast<unsigned char>(line[i + 2]))) {
                        text += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                        i += 2;
                    } else {
                        text += e;
                    }
                } else {
                    text += line[i];
                }
            }
            ++i;
            tokens.push_back(text);
        } else {
            const std::size_t start = i;
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                ++i;
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

struct Line {
    std::vector<std::string> tokens;
    std::size_t number;

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw DescriptionError("line " + std::to_string(number) + ": " + what);
    }
    std::size_t Count() const { return tokens.size(); }
    const std::string& Word(std::size_t i) const
    {
        if (i >= tokens.size())
            Fail("'" + tokens[0] + "' needs more values");
        return tokens[i];
    }
    std::uint64_t Number(std::size_t i, std::uint64_t max = 0xFFFFFFFFu) const
    {
        const std::string& word = Word(i);
        std::size_t used = 0;
        std::uint64_t value = 0;
        try {
            value = std::stoull(word, &used, 0);
        } catch (const std::exception&) {
            Fail("not a number: " + word);
        }
        if (used != word.size() || word[0] == '-' || value > max)
            Fail("not a number from 0 to " + std::to_string(max) + ": " + word);
        return value;
    }
    std::uint8_t Hex(std::size_t i) const
    {
        const std::string& word = Word(i);
        std::size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(word, &used, 16);
        } catch (const std::exception&) {
            Fail("not a hexadecimal byte: " + word);
        }
        if (used != word.size() || value > 0xFF)
            Fail("not a hexadecimal byte: " + word);
        return static_cast<std::uint8_t>(value);
    }
    std::string Text(std::size_t i) const
    {
        const std::string& word = Word(i);
        if (word[0] != '"')
            Fail("a quoted text is wanted: " + word);
        return word.substr(1);
    }
    std::string Id(std::size_t i) const
    {
        const std::string& word = Word(i);
        if (word.size() != 4)
            Fail("a chunk id has four characters: " + word);
        return word;
    }
};

PendingBank& BankOf(Builder& builder, const Line& line)
{
    if (!builder.bank)
        line.Fail("'" + line.tokens[0] + "' belongs after a bank");
    return *builder.bank;
}

void NameRecord(PendingBank& bank, const Line& line, std::size_t index, const std::string& name)
{
    if (index >= bank.records.size() / bank.recordSize)
        line.Fail("record " + std::to_string(index) + " is beyond the bank");
    if (name.size() > NameSize)
        line.Fail("a name has at most 24 bytes: " + name);
    SetRecordName(bank.records, bank.recordSize, index, name);
}

void Apply(Builder& builder, const Line& line)
{
    const std::string& verb = line.tokens[0];
    // Record directives refine the pending bank; everything else completes it first.
    if (verb == "fill") {
        PendingBank& bank = BankOf(builder, line);
        FillRecords(bank.records, bank.recordSize, static_cast<std::uint32_t>(line.Number(1)));
        return;
    }
    if (verb == "name") {
        NameRecord(BankOf(builder, line), line, line.Number(1), line.Text(2));
        return;
    }
    if (verb == "names") {
        PendingBank& bank = BankOf(builder, line);
        const std::size_t first = line.Number(1);
        for (std::size_t i = 2; i < line.Count(); ++i)
            NameRecord(bank, line, first + i - 2, line.Text(i));
        return;
    }
    if (verb == "series") {
        PendingBank& bank = BankOf(builder, line);
        const std::size_t first = line.Number(1);
        const std::size_t count = line.Number(2, 128);
        for (std::size_t i = 0; i < count; ++i)
            NameRecord(bank, line, first + i, line.Text(3) + std::to_string(i + 1));
        return;
    }
    if (verb == "unused") {
        PendingBank& bank = BankOf(builder, line);
        if (bank.recordSize != SetListSize)
            line.Fail("slots belong to a set-list bank (records of 69416 bytes)");
        ZeroUnnamedSlots(bank.records);
        return;
    }
    if (verb == "slot") {
        PendingBank& bank = BankOf(builder, line);
        if (bank.recordSize != SetListSize)
            line.Fail("slots belong to a set-list bank (records of 69416 bytes)");
        const std::size_t setList = line.Number(1, bank.records.size() / SetListSize - 1);
        const std::size_t slot = line.Number(2, SlotsPerSetList - 1);
        const std::string name = line.Text(3);
        if (name.size() > NameSize)
            line.Fail("a name has at most 24 bytes: " + name);
        Packed packed{};
        for (std::size_t i = 0; i < packed.size(); ++i)
            packed[i] = line.Hex(4 + i);
        SetSlot(bank.records, setList, slot, name, packed);
        return;
    }

    builder.FlushBank();
    if (verb == "file") {
        const std::uint8_t format = line.Count() > 1 ? line.Hex(1) : 0x68;
        const std::uint8_t byte5 = line.Count() > 2 ? line.Hex(2) : 0;
        builder.Out() += FileHeader(format, byte5);
    } else if (verb == "container") {
        const std::string id = line.Count() > 1 ? line.Id(1) : "PCG1";
        if (line.Count() > 2) {
            builder.Out() += ChunkHead(id, static_cast<std::uint32_t>(line.Number(2)));
        } else {
            if (!builder.frames.empty())
                line.Fail("a self-sizing container stands at the top level");
            builder.containerAt = builder.file.size();
            builder.file += ChunkHead(id, 0);
        }
    } else if (verb == "chunk") {
        builder.frames.push_back(
            {line.Id(1), line.Count() > 2 ? static_cast<std::uint32_t>(line.Number(2)) : 0u, std::string()});
    } else if (verb == "end") {
        if (builder.frames.empty())
            line.Fail("'end' without a chunk");
        Frame frame = std::move(builder.frames.back());
        builder.frames.pop_back();
        builder.Out() += Chunk(frame.id, frame.body, frame.parm2);
    } else if (verb == "header") {
        builder.Out() += ChunkHead(line.Id(1), static_cast<std::uint32_t>(line.Number(2)),
                                   line.Count() > 3 ? static_cast<std::uint32_t>(line.Number(3)) : 0u);
    } else if (verb == "bytes") {
        for (std::size_t i = 1; i < line.Count(); ++i)
            builder.Out() += static_cast<char>(line.Hex(i));
    } else if (verb == "zeros") {
        builder.Out().append(line.Number(1, 1u << 30), '\0');
    } else if (verb == "text") {
        builder.Out() += line.Text(1);
    } else if (verb == "bank") {
        const std::size_t recordSize = line.Number(3, 1u << 24);
        const std::size_t count = line.Count() > 4 ? line.Number(4, 4096) : BankRecords;
        if (recordSize < NameSize)
            line.Fail("records hold at least their 24-byte name");
        const auto numProgs =
            line.Count() > 5 ? static_cast<std::uint32_t>(line.Number(5)) : static_cast<std::uint32_t>(count);
        const auto objSize =
            line.Count() > 6 ? static_cast<std::uint32_t>(line.Number(6)) : static_cast<std::uint32_t>(recordSize);
        builder.bank = PendingBank{line.Id(1), static_cast<std::uint32_t>(line.Number(2)),
                                   recordSize, numProgs,
                                   objSize,    Records(recordSize, count)};
    } else {
        line.Fail("unknown directive '" + verb + "'");
    }
}

}   // namespace

std::string BuildFromDescription(const std::string& description)
{
    Builder builder;
    std::istringstream in(description);
    std::string text;
    std::size_t number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        Line line{Tokens(text, number), number};
        if (!line.tokens.empty())
            Apply(builder, line);
    }
    builder.FlushBank();
    if (!builder.frames.empty())
        throw DescriptionError("chunk " + builder.frames.back().id + " has no 'end'");
    if (builder.containerAt) {
        const std::size_t after = *builder.containerAt + 12;
        builder.file.replace(*builder.containerAt + 4, 4,
                             Be32(static_cast<std::uint32_t>(builder.file.size() - after)));
    }
    return builder.file;
}

}   // namespace pcgw
