// The console a command talks through: standard output for its text, standard error for what it
// says, each of them a text in its place for a test; and the statuses and trouble that end it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace scry {

// Trouble that ends a command, or the reading of one of its files, with status 2: a file that
// cannot be read, no PCG file, an output that must not or cannot be written.
struct Trouble : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Exit statuses, from the least to the most serious: Damaged outranks Differ, and Trouble
// outranks them all.
enum Status : int { Success = 0, Differ = 1, TroubleStatus = 2, Damaged = 3 };
int Worst(int a, int b);

// The process's standard streams, or texts in their place for a test that runs a command in
// its own process.
struct Console {
    std::string* out = nullptr;        // standard output captured here; null: the process's own
    std::string* err = nullptr;        // standard error captured here; null: the process's own
    const std::string* in = nullptr;   // standard input given here; null: the process's own
};

// The system's words for an error number (EIO's for 0).
std::string ErrnoText(int error);
// Raises Trouble: "cannot write NAME: why".
[[noreturn]] void CannotWrite(const std::string& name, const std::string& why);

// Raises Trouble ("cannot write to standard output: ...") when standard output cannot take it.
void WriteOut(Console& console, std::string_view text);
// One line on standard error, "scry: " first; never raises.
void SayError(Console& console, std::string_view line);

}   // namespace scry
