// scry diff.
#include "command/Commands.h"

#include "model/Compare.h"
#include "text/DiffJson.h"
#include "text/DiffText.h"
#include "text/Text.h"

namespace scry {

int RunDiff(const DiffOptions& options, Console& console)
{
    Session session(console, options.files, options.output, OutputKind::Text, options.force);
    const std::vector<FileModel> files = session.ReadTogether(2);
    const Comparison comparison = Compare(files[0], files[1]);
    const bool differ = !comparison.differences.empty();
    if (options.json)
        session.Deliver(DiffJson(comparison));
    else if (options.brief)
        session.Deliver(differ ? "Files " + LineText(options.files[0]) + " and " + LineText(options.files[1]) +
                                     " differ" + SoundSummary(comparison) + "\n"
                               : std::string());
    else
        session.Deliver(DiffText(comparison));
    return session.StatusWith(differ ? Differ : Success);
}

}   // namespace scry
