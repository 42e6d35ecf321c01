// scry csv and scry json.
#include "command/Commands.h"

#include "text/Csv.h"
#include "text/Json.h"

namespace scry {

int RunCsv(const Options& options, Console& console)
{
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        std::string out;
        if (options.records)
            WriteRecordsCsv(out, models, options.raw);
        else
            WriteSlotsCsv(out, models, options.all, options.raw);
        session.Deliver(out);
    }
    return session.StatusWith(Success);
}

int RunJson(const Options& options, Console& console)
{
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        std::string out;
        WriteJson(out, models, options.all);
        session.Deliver(out);
    }
    return session.StatusWith(Success);
}

}   // namespace scry
