// Where a command's work leaves the process: its text handed on to standard output or a file as
// it is made, a new PCG file written beside its name and read back before it is put in place,
// and where a page goes beside its input.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "OutFile/OutFile.h"
#include "command/Console.h"
#include "model/Model.h"
#include "write/Written.h"

namespace scry {

// A command's text handed on while it is made, a block at a time, so that a long listing is never
// held whole: to standard output or a stream the user named as it comes; to a -o file written
// beside its name, put in place by Finish (a delivery left unfinished leaves the earlier file).
class Delivery {
public:
    // output: the -o name ("" for standard output), as the command's checks let it through.
    Delivery(const std::string& output, Console& console);
    ~Delivery();
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;
    // Hands text on where it holds a block or more, and empties it.
    void Part(std::string& text);
    // Hands on the rest, and puts a file in place.
    void Finish(std::string_view rest);

    static constexpr std::size_t Block = std::size_t{1} << 16;

private:
    void HandOn(std::string_view text);

    std::string output;
    Console& console;
    OutFile file{};
    std::FILE* stream = nullptr;     // a FIFO, a terminal or a descriptor named by -o
    bool toStandardOutput = false;   // -o names standard output by a way to it (/dev/stdout)
};

// Writes made beside output (its source's bytes read from source, the stream they came from),
// reads the file back, and puts it in place only where every byte read back is the one meant and
// check, where given (the model of the new bytes verified in memory needs none), finds nothing
// wrong ("" from it) in the model of the file as read back; otherwise removes it and raises
// NotWritten saying why. made is a new file its operation verified in memory (nothing outside
// what it meant to change differs from the source): that check is the operation's, made once.
// With keepEarlier the file that stands under output is kept as a numbered backup beside it as
// the new one takes the name (PutOutFileInPlaceKeepingEarlier): the backup's name is returned
// ("" where none was made); a failure there says where the earlier file is.
std::string WriteReadBack(const std::string& output, const InputStream& source, const NewFile& made,
                          const std::function<ReadBackFault(const FileModel&)>& check, bool keepEarlier = false);
// Removes what killed runs of scry left beside output (temporary files whose process is gone),
// and says each on standard error.
void RemoveLeftBehind(const std::string& output, Console& console);

// A name beside source, its extension replaced by suffix; raises Trouble where a file that is no
// page of scry stands there (nothing here blocks).
std::string PageNameBeside(const std::string& source, const std::string& suffix);
// The page's name without -o: beside the (new) input, name.html or name_diff.html.
std::string DefaultPageName(const std::vector<std::string>& files);
// The regular file under name begins as a page that scry wrote; never blocks.
bool IsPageOfScry(const std::string& name);

}   // namespace scry
