// A short text description of a PCG file, turned into its bytes.
//
//   # comment                        blank lines and comments are ignored
//   file [FORMAT [BYTE5]]            16-byte file header (hexadecimal bytes; default 68 00)
//   container [ID [SIZE]]            container header; without SIZE it counts all bytes after it
//   chunk ID [PARM2] ... end         a chunk whose size is that of its contents
//   header ID SIZE [PARM2]           a bare chunk header with a stated size
//   bytes HH HH ...                  literal bytes, hexadecimal
//   zeros N                          N zero bytes
//   text "..."                       the bytes of a text
//   bank ID BANKID SIZE [COUNT [NUMPROGS [OBJSIZE]]]
//                                    a bank chunk: bank header, COUNT (128) records of SIZE bytes;
//                                    NUMPROGS and OBJSIZE override what the bank header states
//   fill SEED                        deterministic bytes outside the names of the last bank
//   name I "Name"                    record I of the last bank (set list I of a set-list bank)
//   names I "A" "B" ...              records I, I+1, ... named in turn
//   series I COUNT "Prefix"          records I to I+COUNT-1 named Prefix1, Prefix2, ...
//   slot I J "Name" HH HH HH HH HH HH
//                                    slot J of set list I: its name and six packed bytes
//   unused                           every slot of the last set-list bank that has no name: all
//                                    zero bytes, as the instrument keeps an unused slot
//
// Numbers are decimal or 0x-prefixed hexadecimal; texts take \" \\ and \xHH escapes.
#pragma once

#include <stdexcept>
#include <string>

namespace pcgw {

struct DescriptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws DescriptionError naming the line for anything it cannot read.
std::string BuildFromDescription(const std::string& description);

}   // namespace pcgw
