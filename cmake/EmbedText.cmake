# Writes OUT, a C++ source whose function NAME (declared in HEADER) gives the text of the file IN,
# so that the program holds it whole.
file(READ ${IN} text)
string(FIND "${text}" ")Embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the raw string's closing delimiter")
endif()
file(WRITE ${OUT}.new "// Written by the build from ${IN}; edit that.\n#include \"${HEADER}\"\n\nnamespace scry {\n\nconst char* ${NAME}()\n{\n    return R\"Embedded(${text})Embedded\";\n}\n\n}   // namespace scry\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
