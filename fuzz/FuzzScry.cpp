// libFuzzer target: scry's model, show, csv, json, diff (text and JSON) and page on arbitrary
// bytes, in memory. A bad input may only be unreadable (status 2 and one line in the command);
// anything else, a crash or a sanitizer finding ends the run. A file compared with itself has no
// difference.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/Compare.h"
#include "model/Model.h"
#include "page/ComparisonPage.h"
#include "text/Csv.h"
#include "text/DiffJson.h"
#include "text/DiffText.h"
#include "text/Json.h"
#include "text/Show.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const scry::FileModel model = scry::ReadModelOfBytes("f.PCG", bytes);
        std::string out;
        scry::WriteShow(out, model, true);
        scry::WriteSlotsCsv(out, {model}, true);
        scry::WriteRecordsCsv(out, {model});
        scry::WriteJson(out, {model}, true);
        if (!scry::Compare(model, model).differences.empty())
            std::abort();
        // The same bytes with one of them changed, against the first.
        std::string other = bytes;
        if (!other.empty())
            other[other.size() / 2] = static_cast<char>(other[other.size() / 2] ^ 0x21);
        const scry::FileModel changed = scry::ReadModelOfBytes("g.PCG", other);
        const scry::Comparison comparison = scry::Compare(model, changed);
        out += scry::DiffText(comparison);
        out += scry::HistoryText(comparison, false);
        out += std::to_string(scry::LikenessOf(model, changed).Percent());
        out += scry::DiffJson(comparison);
        out += scry::HtmlComparison(comparison);
    } catch (const scry::Unreadable&) {
        // A file that is not a PCG file, or whose walk ends in an error: status 2.
    }
    return 0;
}
