// scry csv and scry json.
#include "command/Commands.h"

#include "text/Csv.h"
#include "text/Json.h"

namespace scry {

int RunCsv(const CsvOptions& options, Console& console)
{
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        Delivery delivery(session.Output(), session.Streams());
        std::string out;
        out.reserve(2 * Delivery::Block);
        const auto part = [&](std::string& text) { delivery.Part(text); };
        if (options.records)
            WriteRecordsCsv(out, models, options.raw, part);
        else
            WriteSlotsCsv(out, models, options.all, options.raw, part);
        delivery.Finish(out);
    }
    return session.StatusWith(Success);
}

int RunJson(const JsonOptions& options, Console& console)
{
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        Delivery delivery(session.Output(), session.Streams());
        std::string out;
        out.reserve(2 * Delivery::Block);
        WriteJson(out, models, options.all, [&](std::string& text) { delivery.Part(text); });
        delivery.Finish(out);
    }
    return session.StatusWith(Success);
}

}   // namespace scry
