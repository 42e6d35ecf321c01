// The style and the script of scry's page, from scry/page/page.css and page.js, embedded at
// build time.
#pragma once

namespace scry {

extern const char* const PageStyle;
extern const char* const PageScript;

}   // namespace scry
