// The files of a library: files named, and every file under a folder whose name ends in .pcg in
// any case (links to files followed, links to folders not, so no search can loop).
#pragma once

#include <string>
#include <vector>

#include "summary/Entry.h"

namespace scry {

struct FileTrouble {
    std::string name;   // as given
    std::string why;
};

struct FilesFound {
    std::vector<LibraryFile> files;     // in the order given; under each folder, sorted by path
    std::vector<std::string> roots;     // the absolute paths of the folders searched
    std::vector<FileTrouble> trouble;   // a name that is neither file nor folder, a folder not searched whole
};

// distinct: a file met twice (named twice, or under two folders given) is taken once.
FilesFound FindLibraryFiles(const std::vector<std::string>& paths, bool distinct = true);

// True for a name that ends in ".pcg", letters in any case.
bool IsPcgName(const std::string& name);

}   // namespace scry
