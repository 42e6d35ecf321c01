# The pure folders' own includes: none of the folders above them (the library's files, SQLite
# and threads, the command line), and none of the standard headers of files and threads. The
# link of each layer alone catches a call that runs up; this catches a header that would let one in.
# Usage: cmake -DSOURCE=<project folder> -P PureIncludes.cmake
set(pure scry/model scry/summary scry/text scry/page scry/write scry/ops scry/requests)
set(impure "#include[ \t]*[\"<](library/|command/|CLI/|sqlite3|thread>|filesystem>|fstream>|mutex>|future>)")
set(found "")
foreach(folder ${pure})
  file(GLOB sources ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "${impure}")
    foreach(line ${lines})
      string(APPEND found "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "a pure layer includes what it must not:${found}")
endif()
message(STATUS "the pure folders include nothing of files, threads, SQLite or the command line")
