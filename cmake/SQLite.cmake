# SQLite for scry's catalogue. A native build links the system's (Debian's libsqlite3-dev), its
# static archive where there is one, so that a run of a few milliseconds loads no library at
# start; a cross-build compiles the amalgamation, which ships in the npm package better-sqlite3:
# a pinned version, fetched once by tools/fetch-sqlite.sh and checked against its sha256.
if(NOT CMAKE_CROSSCOMPILING AND NOT BANKSCRY_BUNDLED_SQLITE)
  find_package(SQLite3 REQUIRED)
  get_filename_component(sqlite_folder "${SQLite3_LIBRARIES}" DIRECTORY)
  find_library(SQLITE3_ARCHIVE NAMES libsqlite3.a HINTS ${sqlite_folder} NO_DEFAULT_PATH)
  if(SQLITE3_ARCHIVE)
    find_package(Threads REQUIRED)
    set_target_properties(SQLite::SQLite3 PROPERTIES IMPORTED_LOCATION ${SQLITE3_ARCHIVE}
                          INTERFACE_LINK_LIBRARIES "Threads::Threads;${CMAKE_DL_LIBS};m")
  endif()
  return()
endif()
set(BANKSCRY_SQLITE_SOURCE ${PROJECT_SOURCE_DIR}/build/deps/sqlite CACHE PATH
    "Where sqlite3.c and sqlite3.h of the amalgamation are (fetched there where missing)")
if(NOT EXISTS ${BANKSCRY_SQLITE_SOURCE}/sqlite3.c)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/tools/fetch-sqlite.sh ${BANKSCRY_SQLITE_SOURCE}
                  RESULT_VARIABLE fetched)
  if(NOT fetched EQUAL 0)
    message(FATAL_ERROR "The SQLite amalgamation could not be fetched (tools/fetch-sqlite.sh needs npm)")
  endif()
endif()
enable_language(C)
add_library(sqlite3 STATIC ${BANKSCRY_SQLITE_SOURCE}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${BANKSCRY_SQLITE_SOURCE})
target_compile_definitions(sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_THREADSAFE=1 SQLITE_DQS=0)
target_compile_options(sqlite3 PRIVATE -w)   # its own code, not ours to warn about
find_package(Threads REQUIRED)
target_link_libraries(sqlite3 PUBLIC Threads::Threads)
add_library(SQLite::SQLite3 ALIAS sqlite3)
