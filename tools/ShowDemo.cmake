# The demo's second half, run in the demo folder: a few lines of scry show, and scry's page of
# the demo written beside bankscry's listings; then where the programs and outputs are.
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
get_filename_component(folder . ABSOLUTE)
message("\nbankscry: ${BANKSCRY}\nscry:     ${SCRY}\n"
        "The demo's listings and page: ${folder}/Kronos_Demo_out.txt, Kronos_Demo_out.txt_sets.csv and Kronos_Demo.html")
