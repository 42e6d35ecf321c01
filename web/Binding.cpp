// The page's way into scry: the exported functions the page's bridge calls, and the hand-over of
// memory between the page and the WebAssembly. Every request is answered by scry's request layer
// (requests/Requests.h says each, with its arguments and its answer); nothing here decides
// anything. Nothing here opens a file: the bytes come from the browser's own memory (a file
// picked or dropped), and nothing leaves the device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <emscripten.h>

#include "Platform/Platform.h"
#include "requests/Requests.h"
#include "requests/Shelf.h"

namespace {

scry::Requests& Desk()
{
    static scry::Requests requests;
    return requests;
}

// The library's summaries, in the worker that reads a folder (the page's own instance holds none).
scry::Shelf& Library()
{
    static scry::Shelf shelf;
    return shelf;
}

// A part of the file the worker reads now, read by the browser into scry's memory: the count read,
// or -1 where the browser could not read it (the file changed or went since it was picked).
EM_JS(double, scry_read_given, (double offset, std::uint8_t* into, double count),
      { return Module.readFile(offset, into, count); });

std::size_t ReadGiven(void*, std::int64_t offset, void* into, std::size_t count)
{
    const double done =
        scry_read_given(static_cast<double>(offset), static_cast<std::uint8_t*>(into), static_cast<double>(count));
    if (done < 0 || done > static_cast<double>(count))
        throw std::system_error(EIO, std::generic_category(), "the browser could not read it: it changed or went");
    return static_cast<std::size_t>(done);
}

// The summary last asked for, kept until the next is asked.
std::string stored;

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

// A request of the library (requests/Shelf.h). The file it reads: bytes (given by malloc, scry's
// from now on, freed before this returns) where bytes is not null; else, where fileSize is not
// negative, the file the worker reads now, of that size, read a part at a time as scry asks.
char* scry_shelf(const char* request, std::uint8_t* bytes, std::size_t size, double fileSize)
{
    scry::GivenBytes held(bytes);
    try {
        const std::string asked = request != nullptr ? request : "";
        std::unique_ptr<InputStream, void (*)(InputStream*) noexcept> given(nullptr, &CloseInput);
        if (held)
            given.reset(OpenMemoryInput(held.get(), size, "the file given"));
        else if (fileSize >= 0)
            given.reset(OpenCallerInput(static_cast<std::int64_t>(fileSize), &ReadGiven, nullptr, "the file given"));
        return Handed(Library().Answer(asked, given.get()));
    } catch (...) {
        return nullptr;
    }
}

// A summary as the browser keeps it, as the runs of memory it lies in (one), in the shape of
// scry_made_parts; valid until the next is asked.
char* scry_shelf_stored(int shelf)
{
    try {
        std::optional<std::string> bytes = Library().StoredBytes(shelf);
        if (!bytes)
            return Handed(R"({"ok":false,"error":{"kind":"file","words":"no summary )" + std::to_string(shelf) +
                          R"( is held","place":{"shelf":)" + std::to_string(shelf) + "}}}");
        stored = std::move(*bytes);
        return Handed(R"({"ok":true,"value":{"parts":[[)" +
                      std::to_string(reinterpret_cast<std::uintptr_t>(stored.data())) + "," +
                      std::to_string(stored.size()) + "]]}}");
    } catch (...) {
        return nullptr;
    }
}

void scry_free(char* text) { std::free(text); }

}   // extern "C"
