// The comparison page.
#include "page/ComparisonPage.h"

#include "page/PageKit.h"
#include "page/PageParts.h"
#include "text/DiffText.h"

namespace scry {

std::string HtmlComparison(const Comparison& comparison)
{
    const FileModel& oldFile = *comparison.before;
    const FileModel& newFile = *comparison.after;
    const Marks marks = MarksOf(comparison);
    const std::string title = HtmlText(oldFile.name) + " \xE2\x86\x92 " + HtmlText(newFile.name);
    Page page{PageHead(title + " \xE2\x80\x93 scry", "comparison"), newFile, &comparison, marks};
    std::string& out = page.out;
    out.reserve(1 << 20);
    out += "<header><h1>" + title + "</h1>";
    out += "<p class=\"facts\">OLD: " + HtmlText(oldFile.name) + ", " + Thousands(oldFile.size) +
           " bytes \xC2\xB7 NEW: " + HtmlText(newFile.name) + ", " + Thousands(newFile.size) + " bytes</p>";
    out += Problems(oldFile) + Problems(newFile);
    const bool same = comparison.differences.empty() && !oldFile.Damaged() && !newFile.Damaged();
    out += "<p class=\"summary\"><strong>" +
           (same ? std::string("The files hold the same records and chunks.") : HtmlText(DiffSummary(comparison))) +
           "</strong></p>";
    // Every difference as scry diff says it, each a link to where it is marked below; what stands
    // in OLD only has no place in NEW and no link.
    if (!comparison.differences.empty()) {
        out += "<ol class=\"differences\">";
        for (const Difference& d : comparison.differences) {
            std::string marked;
            for (const ChangeKind& kind : ChangeKinds)
                if (d.Has(kind.change))
                    marked += Mark(kind.change);
            const std::string line = HtmlText(DiffLine(comparison, d));
            const auto anchor = marks.anchors.find(&d);
            out += "<li>" + marked +
                   (anchor != marks.anchors.end() ? "<a href=\"#" + anchor->second + "\">" + line + "</a>" : line) +
                   "</li>";
        }
        out += "</ol>";
    }
    out += "<ul class=\"legend\" aria-label=\"Marks\">";
    for (const ChangeKind& kind : ChangeKinds)
        out += "<li>" + Mark(kind.change) + "</li>";
    out += "</ul>";
    out += ContentsNav(newFile) + SearchBox + "</header>";
    out += "<input type=\"checkbox\" id=\"only\"><label for=\"only\">Differences only</label><main>";
    WriteParts(page);
    return page.out + "</main>" + PageTail();
}

}   // namespace scry
