# The demo's second half, run in the demo folder: a few lines of scry show, scry's page of the
# demo and its first set list's stage view written beside bankscry's listings; then what was
# written, and what to open and try next.
execute_process(COMMAND ${SCRY} show Kronos_Demo.PCG OUTPUT_VARIABLE shown RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scry show ended with status ${status}")
endif()
# Its first seven lines: the file, and the first slots of the first set list.
set(end 0)
foreach(line RANGE 6)
  string(SUBSTRING "${shown}" ${end} 400 rest)
  string(FIND "${rest}" "\n" next)
  math(EXPR end "${end} + ${next} + 1")
endforeach()
string(SUBSTRING "${shown}" 0 ${end} first)
message("\n$ scry show Kronos_Demo.PCG    (its first lines)\n${first}...")
execute_process(COMMAND ${SCRY} html Kronos_Demo.PCG -o Kronos_Demo.html RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scry html ended with status ${status}")
endif()
execute_process(COMMAND ${SCRY} stage Kronos_Demo.PCG 0 -o Kronos_Demo_stage_000.html RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scry stage ended with status ${status}")
endif()
# The page for browsers, where it was built: it needs no install, so a copy beside the demo is
# all a performer needs.
set(page_line "")
set(page_hint "")
if(PAGE AND EXISTS "${PAGE}")
  file(COPY_FILE "${PAGE}" scry.html)
  set(page_line "  scry.html                                             scry in any browser: open it, drop a PCG file\n")
  set(page_hint "\n\nNo terminal needed: open ${CMAKE_CURRENT_BINARY_DIR}/scry.html in a browser and drop\n"
                "Kronos_Demo.PCG on it: drag slots to reorder its set lists, rename, retune, undo, then download\n"
                "the new file. Nothing is installed and nothing is uploaded.")
endif()
get_filename_component(folder . ABSOLUTE)
file(RELATIVE_PATH scry ${folder} ${SCRY})
message("\nWritten in ${folder}:\n"
        "  Kronos_Demo_out.txt and Kronos_Demo_out.txt_sets.csv  bankscry's report and CSV of the demo\n"
        "  Kronos_Demo.html                                      scry's page: set lists, banks, search\n"
        "  Kronos_Demo_stage_000.html                            set list 0 on stage, for a phone\n"
        ${page_line}
        "The programs: ${BANKSCRY} and ${SCRY}\n\n"
        "Open Kronos_Demo.html in a browser (\"On stage\" and \"Print gig sheet\" beside each set list), then,\n"
        "from ${folder}:\n"
        "  ${scry} show Kronos_Demo.PCG --setlist 1          what set list 1 plays, slot by slot\n"
        "  ${scry} gig Kronos_Demo.PCG 1                     a gig sheet to print\n"
        "  ${scry} setlist Kronos_Demo.PCG 1 -o wedding.txt  set list 1 as text to edit, then scry apply\n"
        "The README's \"Try this next\" goes on from there."
        ${page_hint})
