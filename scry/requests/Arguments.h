// What every request of the page shares: its arguments read as the kind each must be, and its
// answer in one shape, whatever fails inside. For the request layer's own files alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace scry {

using nlohmann::ordered_json;

// Why a request is not answered, as the error of its answer.
struct RequestFault {
    std::string kind;
    std::string words;
    ordered_json place;
};

[[noreturn]] inline void Refuse(std::string kind, std::string words, ordered_json place = nullptr)
{
    throw RequestFault{std::move(kind), std::move(words), std::move(place)};
}

inline ordered_json Argument(const char* key) { return {{"argument", key}}; }

// The arguments of a request, each read as the kind it must be; a missing one takes its default
// where it has one, a wrong one refuses the request, naming it.
inline const ordered_json& Required(const ordered_json& asked, const char* key)
{
    const auto found = asked.find(key);
    if (found == asked.end())
        Refuse("request", std::string("the request has no ") + key, Argument(key));
    return *found;
}

inline std::int64_t WholeOf(const ordered_json& value, const char* key)
{
    if (!value.is_number_integer())
        Refuse("request", std::string(key) + " is no whole number", Argument(key));
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))
        Refuse("request", std::string(key) + " is out of range", Argument(key));
    return value.get<std::int64_t>();
}

inline std::int64_t Whole(const ordered_json& asked, const char* key) { return WholeOf(Required(asked, key), key); }

inline int Id(const ordered_json& asked, const char* key)
{
    const std::int64_t id = Whole(asked, key);
    return id < 0 || id > INT32_MAX ? -1 : static_cast<int>(id);
}

inline std::string TextOr(const ordered_json& asked, const char* key, std::string fallback)
{
    const auto found = asked.find(key);
    if (found == asked.end() || found->is_null())
        return fallback;
    if (!found->is_string())
        Refuse("request", std::string(key) + " is no text", Argument(key));
    return found->get<std::string>();
}

inline bool FlagOr(const ordered_json& asked, const char* key, bool fallback)
{
    const auto found = asked.find(key);
    if (found == asked.end() || found->is_null())
        return fallback;
    if (!found->is_boolean())
        Refuse("request", std::string(key) + " is neither true nor false", Argument(key));
    return found->get<bool>();
}

inline std::vector<std::string> Texts(const ordered_json& asked, const char* key)
{
    std::vector<std::string> texts;
    const auto found = asked.find(key);
    if (found == asked.end() || found->is_null())
        return texts;
    if (!found->is_array())
        Refuse("request", std::string(key) + " is no list", Argument(key));
    for (const ordered_json& text : *found) {
        if (!text.is_string())
            Refuse("request", std::string(key) + " holds what is no text", Argument(key));
        texts.push_back(text.get<std::string>());
    }
    return texts;
}

inline const ordered_json& List(const ordered_json& asked, const char* key)
{
    static const ordered_json none = ordered_json::array();
    const auto found = asked.find(key);
    if (found == asked.end() || found->is_null())
        return none;
    if (!found->is_array())
        Refuse("request", std::string(key) + " is no list", Argument(key));
    return *found;
}

inline std::string Hex8(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

inline ordered_json Answered(ordered_json value) { return {{"ok", true}, {"value", std::move(value)}}; }

inline ordered_json Failed(const std::string& kind, const std::string& words, const ordered_json& place)
{
    return {{"ok", false}, {"error", {{"kind", kind}, {"words", words}, {"place", place}}}};
}

inline std::string Dumped(const ordered_json& json)
{
    return json.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

// Runs one request, saying any failure inside as an answer rather than throwing it.
template <class Work>
inline std::string Guarded(Work&& work)
{
    try {
        return Dumped(Answered(work()));
    } catch (const RequestFault& fault) {
        return Dumped(Failed(fault.kind, fault.words, fault.place));
    } catch (const std::bad_alloc&) {
        return Dumped(Failed(
            "memory", "out of memory: the file is too large for the memory this browser gives the page", nullptr));
    } catch (const ordered_json::exception& error) {
        return Dumped(Failed("request", std::string("the request cannot be read: ") + error.what(), nullptr));
    } catch (const std::exception& error) {
        return Dumped(Failed("internal", std::string("scry failed: ") + error.what(), nullptr));
    }
}

}   // namespace scry
