// scry's command line, with CLI11: one row per command, each with its own options and help.
#include "command/Run.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <sstream>

#include <CLI/CLI.hpp>

#include "Platform/Platform.h"
#include "command/Commands.h"
#include "model/Match.h"
#include "text/Text.h"

namespace scry {

namespace {

constexpr const char* Description =
    "scry: what a PCG file holds, what changed between two, its data for spreadsheets and scripts, and its set\n"
    "lists as text to edit and write back.\n"
    "FILE may be - for standard input.";

constexpr const char* ExitStatuses =
    "Exit status: 0 success; 1 what a command looks for is not there, or differs (each command's --help says\n"
    "what); 2 trouble (a file that cannot be read or is no PCG file, an output that must not or cannot be\n"
    "written); 3 the output was written, but an input is damaged (cut short, a bank refused, zero padding):\n"
    "standard error says what. 2 outranks 3, and 3 outranks 1.";

// Text broken into lines of at most width characters, at spaces.
std::string Wrapped(const std::string& text, std::size_t width = 100)
{
    std::string wrapped, line;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            wrapped += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return wrapped + line;
}

// What each status of one command means: its own 1 (none where it never gives one) and what its
// 2 includes beyond files and outputs.
std::string ExitStatusesOf(const char* differ, const char* trouble)
{
    std::string said = "Exit status: 0 success";
    if (differ != nullptr)
        said += "; 1 " + std::string(differ);
    said += "; 2 trouble: a file that cannot be read or is no PCG file, an output that must not or cannot be "
            "written";
    if (trouble != nullptr)
        said += ", " + std::string(trouble);
    said += "; 3 the output was written, but an input is damaged (cut short, a bank refused, zero padding): "
            "standard error says what.";
    if (differ != nullptr)
        said += " 2 outranks 3, and 3 outranks 1.";
    return Wrapped(said);
}

// CLI11's help, without its oddities: a positional is its name alone in the usage line and in the
// list (no "FILE x 2 REQUIRED", no "(2x)"); an option that takes several values gives its type
// once; a positional with option text shows that text in the usage line.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* option) const override
    {
        if (option->get_positional())
            return option->get_expected_max() >= CLI::detail::expected_max_vector_size ? " ..." : "";
        std::string opts;
        if (option->get_type_size() != 0) {
            if (!option->get_type_name().empty())
                opts += " " + option->get_type_name();
            if (option->get_expected_max() == CLI::detail::expected_max_vector_size)
                opts += " ...";
            if (option->get_required())
                opts += " (required)";
        }
        return opts;
    }
    std::string make_option_usage(const CLI::Option* option) const override
    {
        std::string usage =
            option->get_option_text().empty() ? make_option_name(option, true) : option->get_option_text();
        if (option->get_option_text().empty() && option->get_expected_max() >= CLI::detail::expected_max_vector_size)
            usage += "...";
        return option->get_required() ? usage : "[" + usage + "]";
    }
};

void Files(CLI::App& command, std::vector<std::string>& files, const char* what)
{
    command.add_option("FILE", files, what)->required();
}

// The one file of a command that takes more after it.
void OneFile(CLI::App& command, std::string& file, const char* what)
{
    command.add_option("FILE", file, what)->required()->type_name("FILE");
}

// The two files of a command that compares or carries between them ("OLD NEW", "SRC DEST").
void TwoFiles(CLI::App& command, std::vector<std::string>& files, const char* names, const char* what)
{
    command.add_option(names, files, what)->required()->expected(2)->type_name("FILE");
}

constexpr const char* NewPcgFile =
    "The new PCG file: never an input or another PCG file, an existing file only with --force";

// -o of a command that writes a new PCG file.
CLI::Option* NewPcgOutput(CLI::App& command, OutputOptions& options, const char* what = NewPcgFile)
{
    return command.add_option("-o,--output", options.output, what)->type_name("OUT");
}

void SetListNumber(CLI::App& command, int& setList)
{
    command.add_option("N", setList, "The set list")->required()->check(CLI::Range(0, 127));
}

void Output(CLI::App& command, OutputOptions& options, const char* what)
{
    command.add_option("-o,--output", options.output, what)->type_name("FILE");
    command.add_flag("--force", options.force, "Replace the -o file where one exists");
}

// A page of one set list: FILE, N, and the page's name.
void SetListPageOptions(CLI::App& command, SetListOptions& options, const char* besideName)
{
    OneFile(command, options.file, "A PCG file");
    SetListNumber(command, options.setList);
    const std::string what = "Write the page to FILE (- for standard output), over a page of scry, or any other file "
                             "with --force. Without -o it is written beside the input, as " +
                             std::string(besideName);
    Output(command, options, what.c_str());
}

constexpr const char* ToStandardOutput =
    "Write to FILE instead of standard output (- for standard output): written beside its name and put in "
    "place whole, never over an input, a PCG file or a folder, over another existing file only with --force";

// The catalogue and the threads of a command that reads a library.
void Library(CLI::App& command, LibraryOptions& options)
{
    command
        .add_option("--catalogue", options.catalogue,
                    "The catalogue of what files held when last read (default: scry/library.sqlite in the "
                    "user's cache folder)")
        ->type_name("FILE");
    command.add_flag("--no-catalogue", options.noCatalogue, "Read every file afresh, and keep nothing");
    command.add_option("--jobs", options.jobs, "Threads that read files (default: one per core)")->type_name("N");
}

// A command's options, declared on it, and what runs the command with them once they are parsed.
using Runner = std::function<int(Console&)>;
using Declare = std::function<Runner(CLI::App&)>;

// The declaration of a command whose options are of type CommandOptions: each parse of the
// command line gets options of its own.
template <class CommandOptions>
Declare With(void (*declare)(CLI::App&, CommandOptions&), int (*run)(const CommandOptions&, Console&))
{
    return [declare, run](CLI::App& command) {
        auto options = std::make_shared<CommandOptions>();
        declare(command, *options);
        return Runner([options, run](Console& console) { return run(*options, console); });
    };
}

struct CommandRow {
    const char* name;
    const char* summary;
    Declare declare;
    const char* differ = nullptr;     // what its status 1 means, where it gives one
    const char* trouble = nullptr;    // what its status 2 means beyond files and outputs
    const char* statuses = nullptr;   // its exit statuses in full, where they are none of the above
};

const CommandRow Commands[] = {
    {"show", "List set lists, what each used slot plays, banks and chunks",
     With<ShowOptions>(
         [](CLI::App& command, ShowOptions& options) {
             Files(command, options.files, "PCG files");
             command.add_flag("--all", options.all, "List unused slots too");
             command.add_option("--setlist", options.setList, "Only this set list, with what each slot plays")
                 ->check(CLI::Range(0, 127))
                 ->type_name("N");
             command.add_option("--slot", options.slot, "Only this slot of that set list")
                 ->check(CLI::Range(0, 127))
                 ->type_name("M");
             Output(command, options, ToStandardOutput);
         },
         &RunShow),
     "a set list asked for has no used slot"},
    {"textconv", "The show listing without its FILE line, for git's textconv (status 0 whatever the file holds)",
     With<TextconvOptions>(
         [](CLI::App& command, TextconvOptions& options) {
             command.add_option("FILE", options.files, "One PCG file")->required()->expected(1);
         },
         &RunTextconv),
     nullptr, nullptr,
     "Exit status: 0 whatever the file holds (what cannot be read is said in the text); 2 a command line scry "
     "cannot take."},
    {"uses",
     "The slots of the set lists that play a record, by its place (I-B012, U-AA127, GM005) or its name "
     "(status 1: none does)",
     With<UsesOptions>(
         [](CLI::App& command, UsesOptions& options) {
             OneFile(command, options.file, "A PCG file");
             command.add_option("WHAT", options.what, "A place, or the name of records (letters in any case)")
                 ->required();
             Output(command, options, ToStandardOutput);
         },
         &RunUses),
     "no record of that place or those words, or no slot plays one"},
    {"gig", "A page that is only the gig sheet of set list N, in large type, ready to print",
     With<GigOptions>(
         [](CLI::App& command, GigOptions& options) {
             SetListPageOptions(command, options, "name_gig_NNN.html");
             command.add_flag("--compact", options.compact,
                              "Smaller type: up to 64 used slots on one A4 page (large: 24)");
         },
         &RunGig),
     "the set list has no used slot (the page is written all the same)"},
    {"stage", "A page for a phone on stage: set list N one slot at a time in large type, the next below",
     With<SetListOptions>([](CLI::App& command,
                             SetListOptions& options) { SetListPageOptions(command, options, "name_stage_NNN.html"); },
                          &RunStage),
     "the set list has no used slot (the page is written all the same)"},
    {"setlist", "Set list N as a text to edit in any editor and write back with apply",
     With<SetListOptions>(
         [](CLI::App& command, SetListOptions& options) {
             OneFile(command, options.file, "A PCG file");
             SetListNumber(command, options.setList);
             Output(
                 command, options,
                 "Write the text to FILE (- for standard output), over an existing file only where it is a text scry "
                 "wrote and nobody edited, or with --force");
         },
         &RunSetList)},
    {"apply", "A copy of FILE with the set lists of the texts written in, read back before it is kept",
     With<ApplyOptions>(
         [](CLI::App& command, ApplyOptions& options) {
             OneFile(command, options.file, "The PCG file the texts were written from");
             command.add_option("TEXT", options.texts, "Texts of scry setlist, edited (- for standard input)")
                 ->required()
                 ->type_name("TEXT");
             NewPcgOutput(command, options)->required();
             command.add_flag("--force", options.force, "Replace OUT where a file that is no PCG file stands there");
             command.add_flag("--ignore-fingerprint", options.ignoreFingerprint,
                              "Apply a text whose set list has changed in FILE since it was written");
         },
         &RunApply),
     nullptr, "a fault in a text, or a text of another file or set list: nothing is written"},
    {"follow",
     "NEW, its banks reorganised, with every set-list slot playing the sound it played in OLD (status 1: a sound is "
     "gone)",
     With<FollowOptions>(
         [](CLI::App& command, FollowOptions& options) {
             TwoFiles(command, options.files, "OLD NEW", "The file as it was, and after its banks were reorganised");
             NewPcgOutput(command, options);
             command.add_flag("--dry-run", options.dryRun, "Say what would be retargeted, and write nothing");
             command.add_flag("--force", options.force, "Replace OUT where a file that is no PCG file stands there");
         },
         &RunFollow),
     "a sound a slot played is not in NEW: the slot is left as it is (OUT is written all the same)",
     "NEW damaged: nothing is written"},
    {"copy", "A copy of DEST with programs, combinations and set lists of SRC written in, every slot on its sound",
     With<CopyOptions>(
         [](CLI::App& command, CopyOptions& options) {
             TwoFiles(command, options.files, "SRC DEST", "The file to copy from, and the one to copy into");
             NewPcgOutput(command, options,
                          "The new PCG file: never an input or another PCG file; an earlier one there is kept as a "
                          "numbered backup with --force");
             command
                 .add_option("--prog", options.programs,
                             "Programs: I-A000..I-A015=U-G000, I-A003=U-B010, I-A=U-G; without =PLACE (I-A003, "
                             "I-A000..I-A015, I-A) into the free places of --to's bank")
                 ->type_name("FROM[=TO]");
             command.add_option("--combi", options.combis, "Combinations, as --prog")->type_name("FROM[=TO]");
             command.add_option("--setlist", options.setLists, "Set list N of SRC into set list M of DEST: N=M")
                 ->type_name("N=M");
             command
                 .add_option("--to", options.to,
                             "The bank (U-G) that records without =PLACE, and the sounds a set list copied needs where "
                             "DEST lacks them, go to: first its places whose sound DEST holds elsewhere too or that "
                             "hold nothing, then the others (the last copy of a sound only with --force)")
                 ->type_name("BANK");
             command.add_flag("--dry-run", options.dryRun, "Say what would be copied where, and write nothing");
             command.add_flag("--force", options.force,
                              "Write over places slots of DEST play and over the last copy of a sound (each said as a "
                              "warning), and keep an earlier OUT as a numbered backup");
         },
         &RunCopy),
     nullptr, "a copy refused (each reason said), or DEST damaged: nothing is written"},
    {"diff", "Record by record differences of NEW against OLD (status 1: they differ)",
     With<DiffOptions>(
         [](CLI::App& command, DiffOptions& options) {
             TwoFiles(command, options.files, "OLD NEW", "The earlier and the later PCG file");
             command.add_flag("--brief", options.brief, "Only say whether they differ");
             command.add_flag("--json", options.json, "Every difference as data, in one JSON document");
             Output(command, options, ToStandardOutput);
         },
         &RunDiff),
     "the files differ"},
    {"csv", "RFC 4180 CSV: one row per used slot, or per record",
     With<CsvOptions>(
         [](CLI::App& command, CsvOptions& options) {
             Files(command, options.files, "PCG files");
             command.add_flag("--all", options.all, "Rows for unused slots too");
             command.add_flag("--records", options.records, "One row per program and combination instead");
             command.add_flag("--raw", options.raw,
                              "Names exactly as they are, also those a spreadsheet would take for a formula "
                              "(otherwise they get a leading ')");
             Output(command, options, ToStandardOutput);
         },
         &RunCsv)},
    {"json", "Everything scry knows of the files, as one JSON document",
     With<JsonOptions>(
         [](CLI::App& command, JsonOptions& options) {
             Files(command, options.files, "PCG files");
             command.add_flag("--all", options.all, "Unused slots too");
             Output(command, options, ToStandardOutput);
         },
         &RunJson)},
    {"find", "Records, set lists and slots of every file and folder named, by name, --place or --sound-of",
     With<FindOptions>(
         [](CLI::App& command, FindOptions& options) {
             command
                 .add_option("PATH", options.files, "PCG files and folders (searched for *.pcg in any case), then NAME")
                 ->required()
                 ->option_text("PATH... [NAME]");
             command.add_option("--place", options.place, "Records at a place (Prog U-A006), and slots that play it")
                 ->type_name("PLACE");
             command
                 .add_option("--sound-of", options.soundOf,
                             "The sound of the record at PLACE in FILE, under any name: records and slots that play it")
                 ->expected(2)
                 ->type_name("FILE PLACE");
             command.add_option("--kind", options.kinds, "Only prog, combi, slot or setlist (repeat for more)")
                 ->type_name("KIND");
             command.add_flag("--each", options.each,
                              "A line for each file's hit (by default a hit is said once, with the files that hold it "
                              "the same)");
             command.add_flag("--json", options.json, "The hits as one JSON document (a hit per file)");
             Library(command, options);
             Output(command, options, ToStandardOutput);
         },
         &RunFind),
     "nothing found", "also a folder that cannot be read (the rest is searched)"},
    {"dups", "Records of the same sound, and identical set lists, within and across the files and folders named",
     With<DupsOptions>(
         [](CLI::App& command, DupsOptions& options) {
             command.add_option("PATH", options.files, "PCG files and folders (searched for *.pcg in any case)")
                 ->required();
             command.add_flag("--across", options.across, "Only groups whose places lie in two files or more");
             command.add_flag("--json", options.json, "The groups as one JSON document");
             Library(command, options);
             Output(command, options, ToStandardOutput);
         },
         &RunDups),
     "no duplicates found", "also a folder that cannot be read (the rest is searched)"},
    {"history", "The files as versions of one file: what changed in each against the one before (status 1)",
     With<HistoryOptions>(
         [](CLI::App& command, HistoryOptions& options) {
             command.add_option("FILE", options.files, "The versions, oldest first (or folders of them)")->required();
             command.add_flag("--by-time", options.byTime, "Oldest first by the time each was last changed");
             command.add_flag("--all", options.all,
                              "A line for every record of a bank whose records mostly hold another sound (by default "
                              "the bank is one line)");
             command
                 .add_option("--place", options.place,
                             "Only the records at a place (Prog U-A006), and slots playing it")
                 ->type_name("PLACE");
             command
                 .add_option("--name", options.name,
                             "Only records, set lists and slots of that name (letters in any case)")
                 ->type_name("NAME");
             command.add_option("--jobs", options.jobs, "Threads that read files (default: one per core)")
                 ->type_name("N");
             Output(command, options, ToStandardOutput);
         },
         &RunHistory),
     "a version differs from the one before it"},
    {"html", "A web page of one file, or of two compared (OLD NEW)",
     With<HtmlOptions>(
         [](CLI::App& command, HtmlOptions& options) {
             command.add_option("FILE", options.files, "One PCG file, or OLD and NEW to compare")
                 ->required()
                 ->expected(1, 2);
             Output(
                 command, options,
                 "Write the page to FILE (- for standard output), over a page of scry, or any other file with --force. "
                 "Without -o the page is written beside the (new) input, as name.html or name_diff.html");
         },
         &RunHtml)},
};

}   // namespace

std::string NearestCommand(const std::string& word)
{
    std::string nearest;
    std::size_t best = 3;   // two edits at the most
    for (const CommandRow& row : Commands) {
        const std::size_t distance = EditDistance(word, row.name);
        if (distance < best) {
            best = distance;
            nearest = row.name;
        }
    }
    return nearest;
}

int RunScry(const std::vector<std::string>& args, Console& console)
{
    const auto found = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&](const CommandRow& row) { return !args.empty() && args[0] == row.name; });
    const CommandRow* named = found == std::end(Commands) ? nullptr : &*found;
    if (named == nullptr && !args.empty() && !args[0].empty() && args[0][0] != '-') {
        const std::string nearest = NearestCommand(args[0]);
        SayError(console,
                 "unknown command '" + LineText(args[0]) + "'" +
                     (nearest.empty() ? "; scry --help lists the commands" : "; did you mean '" + nearest + "'?"));
        return TroubleStatus;
    }
    CLI::App app{Description, "scry"};
    app.set_version_flag("--version", std::string("scry ") + BANKSCRY_VERSION);
    app.require_subcommand(1);
    app.footer(ExitStatuses);
    app.formatter(std::make_shared<HelpFormatter>());
    std::vector<std::pair<CLI::App*, Runner>> commands;
    for (const CommandRow& row : Commands) {
        CLI::App* command = app.add_subcommand(row.name, row.summary);
        Runner run;
        if (named == nullptr || named == &row)   // the options of the command named, or of all for --help
            run = row.declare(*command);
        command->footer(row.statuses != nullptr ? Wrapped(row.statuses) : ExitStatusesOf(row.differ, row.trouble));
        commands.emplace_back(command, std::move(run));
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());   // CLI11 takes them last first
    std::ostringstream helpOut, helpErr;
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, helpOut, helpErr);
        try {
            WriteOut(console, helpOut.str());
        } catch (const Trouble& trouble) {
            SayError(console, trouble.what());
            return TroubleStatus;
        }
        // A file whose name begins with '-' is taken for an option, and the file is then missing:
        // said as such, with the way to name it.
        if (status != 0)
            for (std::size_t k = 1; k < args.size() && named != nullptr; ++k) {
                if (args[k] == "--")
                    break;
                if (args[k].size() > 1 && args[k][0] == '-' && WhatNameHolds(args[k]) != NameHolds::Nothing &&
                    app.get_subcommand(named->name)->get_option_no_throw(args[k].substr(0, args[k].find('='))) ==
                        nullptr) {
                    SayError(console, LineText(args[k]) +
                                          " is read as an option; to name a file that begins with -, "
                                          "put -- before it: scry " +
                                          std::string(named->name) + " ... -- " + LineText(args[k]));
                    return TroubleStatus;
                }
            }
        if (!helpErr.str().empty()) {
            std::string said = helpErr.str();
            while (!said.empty() && said.back() == '\n')
                said.pop_back();
            SayError(console, said);
        }
        return status == 0 ? Success : TroubleStatus;
    }
    try {
        for (const auto& [command, run] : commands)
            if (command->parsed() && run)
                return run(console);
        return TroubleStatus;   // require_subcommand(1) lets no other way through
    } catch (const std::bad_alloc&) {
        SayError(console, "out of memory: the files are too large for the memory this computer gives scry");
        return TroubleStatus;
    } catch (const std::exception& error) {
        SayError(console, error.what());
        return TroubleStatus;
    }
}

int RunScry(int argc, char** argv)
{
    PrepareConsole();
    DiscardFilesBesideOnSignals();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    Console console;
    return RunScry(args, console);
}

}   // namespace scry
