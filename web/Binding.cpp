// The page's way into scry: the exported functions the page's bridge calls, and the hand-over of
// memory between the page and the WebAssembly. Every request is answered by scry's request layer
// (requests/Requests.h says each, with its arguments and its answer); nothing here decides
// anything. Nothing here opens a file: the bytes come from the browser's own memory (a file
// picked or dropped), and nothing leaves the device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "requests/Requests.h"

namespace {

scry::Requests& Desk()
{
    static scry::Requests requests;
    return requests;
}

// An answer as a string the page frees with scry_free; null only where memory is out.
char* Handed(const std::string& text)
{
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr)
        std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

}   // namespace

extern "C" {

// The file of that name (UTF-8) and bytes opened; bytes were given by malloc and are scry's from
// now on, on every path (freed here where the file cannot be kept).
char* scry_open(const char* name, std::uint8_t* bytes, std::size_t size)
{
    scry::GivenBytes held(bytes);
    try {
        return Handed(Desk().Open(name != nullptr ? name : "", std::move(held), size));
    } catch (...) {   // memory for the answer itself: the bytes are freed on the way out
        return nullptr;
    }
}

// A request as JSON (requests/Requests.h), its answer as JSON.
char* scry_request(const char* request)
{
    try {
        return Handed(Desk().Answer(request != nullptr ? request : ""));
    } catch (...) {
        return nullptr;
    }
}

// A new file's bytes as the runs of the page's memory they lie in, in order, as the answer of a
// request: {"ok": true, "value": {"parts": [[address, count], ...]}}. Valid until the new file is
// dropped, or until the page's memory grows.
char* scry_made_parts(int made)
{
    try {
        const auto parts = Desk().MadeParts(made);
        if (!parts)
            return Handed(R"({"ok":false,"error":{"kind":"file","words":"no new file )" + std::to_string(made) +
                          R"( is kept","place":{"made":)" + std::to_string(made) + "}}}");
        std::string runs;
        for (const auto& part : *parts)
            runs += (runs.empty() ? "[" : ",[") + std::to_string(reinterpret_cast<std::uintptr_t>(part.data())) + "," +
                    std::to_string(part.size()) + "]";
        return Handed(R"({"ok":true,"value":{"parts":[)" + runs + "]}}");
    } catch (...) {
        return nullptr;
    }
}

void scry_free(char* text) { std::free(text); }

}   // extern "C"
