// The page's way into scry's operations: a file's bytes in, what scry says of them out, as one
// JSON document the page's script reads. Nothing here opens a file or keeps one: the bytes come
// from the browser's own memory (a file picked or dropped), and nothing leaves the device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <nlohmann/json.hpp>

#include "ops/Operations.h"
#include "page/FilePage.h"
#include "text/Text.h"
#include "text/Words.h"

namespace {

using nlohmann::ordered_json;

// What the page shows of a file: the page scry html writes of it, what is damaged in it, or why
// it cannot be read at all.
ordered_json Opened(const std::string& name, std::string_view bytes)
{
    const scry::ops::Loaded loaded = scry::ops::Load({name, bytes});
    if (!loaded.model)
        return {{"name", name},
                {"state", "unreadable"},
                {"message", scry::UnreadableText(name, scry::Unreadable(loaded.refusal, loaded.detail))}};
    const scry::FileModel& model = *loaded.model;
    ordered_json problems = ordered_json::array();
    for (const scry::Problem& problem : model.problems)
        problems.push_back(scry::ProblemText(problem));
    return {{"name", name},
            {"state", model.Damaged() ? "damaged" : "read"},
            {"message", model.Damaged() ? scry::DamagedText(name, model.problems) : std::string()},
            {"problems", problems},
            {"page", scry::HtmlPage(model)}};
}

// The document as a string the caller frees with scry_free; never null.
char* Handed(const std::string& text)
{
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr)
        std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

char* Failed(const std::string& why)
{
    return Handed(ordered_json{{"state", "failed"}, {"message", why}}.dump());
}

}   // namespace

extern "C" {

// The file of that name (UTF-8) and bytes, opened: {"name", "state": "read" | "damaged" |
// "unreadable" | "failed", "message", "problems", "page"}. A failure inside is said, never thrown
// at the page.
char* scry_open(const char* name, const std::uint8_t* bytes, std::size_t size)
{
    try {
        const std::string_view view(reinterpret_cast<const char*>(bytes), size);
        return Handed(Opened(name != nullptr ? name : "", view).dump(-1, ' ', false,
                                                                  ordered_json::error_handler_t::replace));
    } catch (const std::bad_alloc&) {
        return Failed("out of memory: the file is too large for the memory this browser gives the page");
    } catch (const std::exception& error) {
        return Failed(std::string("scry failed: ") + error.what());
    }
}

void scry_free(char* text) { std::free(text); }

}   // extern "C"
