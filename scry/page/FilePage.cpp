// The page of one file.
#include "page/FilePage.h"

#include "page/PageKit.h"
#include "page/PageParts.h"

namespace scry {

std::string HtmlPage(const FileModel& file, const TextPart& part)
{
    const Marks none;
    Page page{PageHead(HtmlText(file.name) + " \xE2\x80\x93 scry", nullptr), file, nullptr, none, part};
    page.out.reserve(1 << 20);
    page.out += "<header><h1>" + HtmlText(file.name) + "</h1>" + FileFacts(file) + ContentsNav(file) + SearchBox +
                "</header><main>";
    WriteParts(page);
    return page.out + "</main>" + PageTail();
}

}   // namespace scry
