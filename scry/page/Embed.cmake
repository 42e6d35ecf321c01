# Writes OUT, a C++ source that holds the page's style (CSS) and script (JS) as two strings, so
# that every page scry writes is one self-contained file.
file(READ ${CSS} style)
file(READ ${JS} script)
foreach(text style script)
  string(FIND "${${text}}" ")ScryPage\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${text} holds the raw string's closing delimiter")
  endif()
endforeach()
file(WRITE ${OUT}.new "// Written by the build from scry/page/page.css and page.js; edit those.\n#include \"page/PageAssets.h\"\n\nnamespace scry {\n\nconst char* const PageStyle = R\"ScryPage(${style})ScryPage\";\n\nconst char* const PageScript = R\"ScryPage(${script})ScryPage\";\n\n}   // namespace scry\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
