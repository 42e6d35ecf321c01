// history: versions of one file taken in order, each compared with the version before it, as
// data in and text out; where the versions come from (files, threads, memory) is the caller's.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "model/Model.h"
#include "model/Uses.h"

namespace scry::ops {

class History {
public:
    // follow: only what is about a place or a name; all: a line for every record of a bank
    // replaced, where it is not one line.
    History(std::optional<Query> follow, bool all) : follow(std::move(follow)), all(all) {}
    // The next version, read: what it changed against the version before it, as a block of text
    // ("" where there is nothing to say); more: versions follow it.
    std::string Next(FileModel version, bool more);
    // Some version differs from the one before it, or is of another origin.
    bool Differs() const { return differ || foreign; }

private:
    std::optional<Query> follow;
    bool all;
    std::optional<FileModel> previous;
    bool differ = false;
    bool foreign = false;
};

}   // namespace scry::ops
