// libFuzzer target: the page's requests with hostile JSON and hostile files. An input is lines:
// the first, where it begins with "F", is a file's bytes opened as the page opens one (else two
// fixed files are open, ids 1 and 2); every other line is a request, answered as the page would
// ask it, and asked of the library's side as well, the fixed files in turn given to what reads a
// file. Each answer must be JSON of the one shape, an error of a known kind with words, a new
// file's parts exactly its size; and when the requests are done every byte given is freed (the
// leak check). Anything else, a crash or a sanitizer finding ends the run.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Platform/Platform.h"
#include "requests/Requests.h"
#include "requests/Shelf.h"
#include "PcgWriter.h"

namespace {

const std::string& File(std::uint32_t seed)
{
    static const std::array<std::string, 2> files = [] {
        std::array<std::string, 2> made;
        for (std::uint32_t k = 0; k < 2; ++k) {
            using namespace pcgw;
            std::string setLists = Records(pcgw::SetListSize);
            SetRecordName(setLists, pcgw::SetListSize, 0, "Friday");
            SetSlot(setLists, 0, 0, "Piano", PackSlot(1, 2, 1, 0, 1, 5, 3, 127, 0));
            SetSlot(setLists, 0, 2, "Split", {0x04, 0x00, 0x00, 0x00, 0x5A, 0x09});
            SetSlot(setLists, 0, 3, "Song", PackSlot(2, 15, 3, 0, 7, 43, 255, 0, 15));
            std::string programs = Records(pcgw::ProgramSize);
            FillRecords(programs, pcgw::ProgramSize, 7 + k);
            std::string combis = Records(pcgw::CombiSize);
            FillRecords(combis, pcgw::CombiSize, 8);
            made[k] = PcgFile(Chunk("SLS1", BankChunk("SBK1", 0, pcgw::SetListSize, setLists)) +
                              Chunk("PRG1", BankChunk("PBK1", 0, pcgw::ProgramSize, programs)) +
                              Chunk("CMB1", BankChunk("CBK1", 0, pcgw::CombiSize, combis)));
        }
        return made;
    }();
    return files[seed % 2];
}

void Open(scry::Requests& requests, std::string_view bytes)
{
    auto* given = static_cast<std::uint8_t*>(std::malloc(bytes.size() + 1));
    if (given == nullptr)
        std::abort();
    std::memcpy(given, bytes.data(), bytes.size());
    const auto answer = nlohmann::json::parse(requests.Open("given.PCG", scry::GivenBytes(given), bytes.size()));
    if (answer.at("ok") != true)
        std::abort();
}

void Check(const scry::Requests& requests, const std::string& text)
{
    static const std::set<std::string> kinds = {"request",  "file",  "asked",  "damaged",
                                                "not-made", "edits", "memory", "internal"};
    const auto answer = nlohmann::json::parse(text);   // throws, and so ends the run, where it is no JSON
    if (!answer.is_object() || !answer.at("ok").is_boolean())
        std::abort();
    if (answer["ok"] == false) {
        const auto& error = answer.at("error");
        if (!kinds.contains(error.at("kind").get<std::string>()) || error.at("words").get<std::string>().empty())
            std::abort();
        if (error["kind"] == "internal")
            std::abort();   // a failure the layer did not foresee
        return;
    }
    const auto& value = answer.at("value");
    if (value.is_object() && value.contains("made")) {
        const auto parts = requests.MadeParts(value["made"].get<int>());
        if (!parts)
            std::abort();
        std::size_t size = 0;
        for (const auto& part : *parts)
            size += part.size();
        if (size != value.at("size").get<std::size_t>())
            std::abort();
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    scry::Requests requests;
    if (input.starts_with("F")) {
        const std::size_t end = std::min(input.find("\nF\n"), input.size());
        Open(requests, input.substr(1, end - 1));
        at = end == input.size() ? end : end + 3;
    } else {
        Open(requests, File(0));
        Open(requests, File(1));
    }
    // The library's side: each request asked of it too, with a file to read where it reads one
    // (the fixed files in turn, or the file given); every summary it keeps taken back whole.
    scry::Shelf shelf;
    std::size_t asked = 0;
    while (at < input.size()) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        const std::string_view request = input.substr(at, end - at);
        Check(requests, requests.Answer(request));
        const std::string& file = File(static_cast<std::uint32_t>(asked++));
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> stream(
            OpenMemoryInput(file.data(), file.size(), "given.PCG"), &CloseInput);
        Check(requests, shelf.Answer(request, stream.get()));
        at = end + 1;
    }
    for (int id = 1; id <= static_cast<int>(asked) + 1; ++id) {
        const std::optional<std::string> stored = shelf.StoredBytes(id);
        if (!stored)
            continue;
        scry::Shelf again;
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> kept(
            OpenMemoryInput(stored->data(), stored->size(), "kept"), &CloseInput);
        // The key a summary was made under is not known here: one made without a key comes back.
        const auto answer = nlohmann::json::parse(again.Answer(R"({"request":"restore"})", kept.get()));
        if (answer.at("ok") != true && answer.at("error").at("kind") != "damaged")
            std::abort();
    }
    return 0;
}
