// scry show and scry textconv.
#include "command/Commands.h"

#include "text/Show.h"
#include "text/Text.h"

namespace scry {

int RunShow(const ShowOptions& options, Console& console)
{
    if (options.slot >= 0 && options.setList < 0)
        throw Trouble("--slot names a slot of the set list that --setlist names");
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> models = session.ReadEach();
    if (!models.empty()) {
        // Set list N of every file is found before anything is handed on.
        std::vector<SetListView> lists;
        int empty = Success;
        if (options.setList >= 0) {
            for (const FileModel& model : models)
                lists.push_back(session.SetListOf(model, static_cast<std::size_t>(options.setList)));
            // A set list with no used slot is said as such (a slot asked for alone says unused).
            for (std::size_t k = 0; k < models.size() && options.slot < 0; ++k)
                empty = Worst(empty, session.SayIfEmpty(models[k], lists[k]));
        }
        Delivery delivery(session.Output(), session.Streams());
        std::string out;
        out.reserve(2 * Delivery::Block);
        for (std::size_t k = 0; k < models.size(); ++k) {
            if (options.setList >= 0)
                WriteShowSetList(out, models[k], lists[k], options.slot, options.all);
            else
                WriteShow(out, models[k], options.all, false, [&](std::string& text) { delivery.Part(text); });
        }
        delivery.Finish(out);
        return session.StatusWith(empty);
    }
    return session.StatusWith(Success);
}

int RunTextconv(const TextconvOptions& options, Console& console)
{
    // git shows the text; warnings on standard error would only stand between its hunks.
    std::string unsaid;
    Console quiet = console;
    quiet.err = &unsaid;
    Session session(quiet, options.files, "", OutputKind::Text, false);
    std::string out;
    FileModel file;
    try {
        file = session.Read(0);
    } catch (const Trouble& trouble) {
        out = "PROBLEM " + LineText(trouble.what()) + "\n";
        session.Deliver(out);
        return Success;
    }
    Delivery delivery(session.Output(), session.Streams());
    WriteShow(out, file, false, true, [&](std::string& text) { delivery.Part(text); });
    delivery.Finish(out);
    return Success;
}

}   // namespace scry
