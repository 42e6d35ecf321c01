// scry show and scry textconv.
#include "command/Commands.h"

#include "text/Show.h"
#include "text/Text.h"

namespace scry {

int RunShow(const Options& options, Console& console)
{
    if (options.slot >= 0 && options.setList < 0)
        throw Trouble("--slot names a slot of the set list that --setlist names");
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        std::string out;
        for (const FileModel& model : models) {
            if (options.setList >= 0)
                WriteShowSetList(out, model, session.SetListOf(model, static_cast<std::size_t>(options.setList)),
                                 options.slot, options.all);
            else
                WriteShow(out, model, options.all);
        }
        session.Deliver(out);
    }
    return session.StatusWith(Success);
}

int RunTextconv(const Options& options, Console& console)
{
    // git shows the text; warnings on standard error would only stand between its hunks.
    std::string unsaid;
    Console quiet = console;
    quiet.err = &unsaid;
    Session session(quiet, options.files, "", OutputKind::Text, false);
    std::string out;
    try {
        WriteShow(out, session.Read(0), options.all, true);
    } catch (const Trouble& trouble) {
        out = "PROBLEM " + LineText(trouble.what()) + "\n";
    }
    session.Deliver(out);
    return Success;
}

}   // namespace scry
