// scry's command line, with CLI11: one row per command, each with its own options and help.
#include "command/Run.h"

#include <algorithm>
#include <exception>
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
    "Exit status: 0 success; 1 diff found differences; 2 trouble (a file that cannot be read or is no PCG\n"
    "file, an output that must not or cannot be written); 3 the output was written, but an input is damaged\n"
    "(cut short, a bank refused, zero padding): standard error says what. 2 outranks 3, and 3 outranks 1.";

void Files(CLI::App& command, Options& options, const char* what)
{
    command.add_option("FILE", options.files, what)->required();
}

// The one file of a command that takes more after it.
void OneFile(CLI::App& command, Options& options, const char* what)
{
    command.add_option("FILE", options.file, what)->required()->type_name("FILE");
}

void SetListNumber(CLI::App& command, Options& options)
{
    command.add_option("N", options.setList, "The set list")->required()->check(CLI::Range(0, 127));
}

void Output(CLI::App& command, Options& options, const char* what)
{
    command.add_option("-o,--output", options.output, what)->type_name("FILE");
    command.add_flag("--force", options.force, "Replace the -o file where one exists");
}

// A page of one set list: FILE, N, and the page's name.
void SetListPageOptions(CLI::App& command, Options& options, const char* besideName)
{
    OneFile(command, options, "A PCG file");
    SetListNumber(command, options);
    const std::string what = "Write the page to FILE (- for standard output), over a page of scry, or any other file "
                             "with --force. Without -o it is written beside the input, as " +
                             std::string(besideName);
    Output(command, options, what.c_str());
}

constexpr const char* ToStandardOutput =
    "Write to FILE instead of standard output (- for standard output): written beside its name and put in "
    "place whole, never over an input, a PCG file or a folder, over another existing file only with --force";

// The catalogue and the threads of a command that reads a library.
void Library(CLI::App& command, Options& options)
{
    command
        .add_option("--catalogue", options.catalogue,
                    "The catalogue of what files held when last read (default: scry/library.sqlite in the "
                    "user's cache folder)")
        ->type_name("FILE");
    command.add_flag("--no-catalogue", options.noCatalogue, "Read every file afresh, and keep nothing");
    command.add_option("--jobs", options.jobs, "Threads that read files (default: one per core)")->type_name("N");
}

struct CommandRow {
    const char* name;
    const char* summary;
    void (*declare)(CLI::App& command, Options& options);
    int (*run)(const Options& options, Console& console);
};

const CommandRow Commands[] = {
    {"show", "List set lists, what each used slot plays, banks and chunks",
     [](CLI::App& command, Options& options) {
         Files(command, options, "PCG files");
         command.add_flag("--all", options.all, "List unused slots too");
         command.add_option("--setlist", options.setList, "Only this set list, with what each slot plays")
             ->check(CLI::Range(0, 127))
             ->type_name("N");
         command.add_option("--slot", options.slot, "Only this slot of that set list")
             ->check(CLI::Range(0, 127))
             ->type_name("M");
         Output(command, options, ToStandardOutput);
     },
     &RunShow},
    {"textconv", "The show listing without its FILE line, for git's textconv (status 0 whatever the file holds)",
     [](CLI::App& command, Options& options) {
         command.add_option("FILE", options.files, "One PCG file")->required()->expected(1);
     },
     &RunTextconv},
    {"uses",
     "The slots of the set lists that play a record, by its place (I-B012, U-AA127, GM005) or its name "
     "(status 1: none does)",
     [](CLI::App& command, Options& options) {
         OneFile(command, options, "A PCG file");
         command.add_option("WHAT", options.what, "A place, or the name of records (letters in any case)")->required();
         Output(command, options, ToStandardOutput);
     },
     &RunUses},
    {"gig", "A page that is only the gig sheet of set list N, in large type, ready to print",
     [](CLI::App& command, Options& options) {
         SetListPageOptions(command, options, "name_gig_NNN.html");
         command.add_flag("--compact", options.compact, "Smaller type: up to 64 used slots on one A4 page (large: 24)");
     },
     &RunGig},
    {"stage", "A page for a phone on stage: set list N one slot at a time in large type, the next below",
     [](CLI::App& command, Options& options) { SetListPageOptions(command, options, "name_stage_NNN.html"); },
     &RunStage},
    {"setlist", "Set list N as a text to edit in any editor and write back with apply",
     [](CLI::App& command, Options& options) {
         OneFile(command, options, "A PCG file");
         SetListNumber(command, options);
         Output(command, options,
                "Write the text to FILE (- for standard output), over an existing file only where it is a text scry "
                "wrote and nobody edited, or with --force");
     },
     &RunSetList},
    {"apply", "A copy of FILE with the set lists of the texts written in, read back before it is kept",
     [](CLI::App& command, Options& options) {
         OneFile(command, options, "The PCG file the texts were written from");
         command.add_option("TEXT", options.texts, "Texts of scry setlist, edited (- for standard input)")
             ->required()
             ->type_name("TEXT");
         command
             .add_option("-o,--output", options.output,
                         "The new PCG file: never an input or another PCG file, an existing file only with --force")
             ->type_name("OUT")
             ->required();
         command.add_flag("--force", options.force, "Replace OUT where a file that is no PCG file stands there");
         command.add_flag("--ignore-fingerprint", options.ignoreFingerprint,
                          "Apply a text whose set list has changed in FILE since it was written");
     },
     &RunApply},
    {"follow",
     "NEW, its banks reorganised, with every set-list slot playing the sound it played in OLD (status 1: a sound is "
     "gone)",
     [](CLI::App& command, Options& options) {
         command.add_option("OLD NEW", options.files, "The file as it was, and after its banks were reorganised")
             ->required()
             ->expected(2)
             ->type_name("FILE");
         command
             .add_option("-o,--output", options.output,
                         "The new PCG file: never an input or another PCG file, an existing file only with --force")
             ->type_name("OUT");
         command.add_flag("--dry-run", options.dryRun, "Say what would be retargeted, and write nothing");
         command.add_flag("--force", options.force, "Replace OUT where a file that is no PCG file stands there");
     },
     &RunFollow},
    {"copy", "A copy of DEST with programs, combinations and set lists of SRC written in, every slot on its sound",
     [](CLI::App& command, Options& options) {
         command.add_option("SRC DEST", options.files, "The file to copy from, and the one to copy into")
             ->required()
             ->expected(2)
             ->type_name("FILE");
         command
             .add_option("-o,--output", options.output,
                         "The new PCG file: never an input or another PCG file; an earlier one there is kept as "
                         "a numbered backup with --force")
             ->type_name("OUT");
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
     &RunCopy},
    {"diff", "Record by record differences of NEW against OLD (status 1: they differ)",
     [](CLI::App& command, Options& options) {
         command.add_option("OLD NEW", options.files, "The earlier and the later PCG file")
             ->required()
             ->expected(2)
             ->type_name("FILE");
         command.add_flag("--brief", options.brief, "Only say whether they differ");
         command.add_flag("--json", options.json, "Every difference as data, in one JSON document");
         Output(command, options, ToStandardOutput);
     },
     &RunDiff},
    {"csv", "RFC 4180 CSV: one row per used slot, or per record",
     [](CLI::App& command, Options& options) {
         Files(command, options, "PCG files");
         command.add_flag("--all", options.all, "Rows for unused slots too");
         command.add_flag("--records", options.records, "One row per program and combination instead");
         command.add_flag("--raw", options.raw,
                          "Names exactly as they are, also those a spreadsheet would take for a formula "
                          "(otherwise they get a leading ')");
         Output(command, options, ToStandardOutput);
     },
     &RunCsv},
    {"json", "Everything scry knows of the files, as one JSON document",
     [](CLI::App& command, Options& options) {
         Files(command, options, "PCG files");
         command.add_flag("--all", options.all, "Unused slots too");
         Output(command, options, ToStandardOutput);
     },
     &RunJson},
    {"find", "Records, set lists and slots of every file and folder named, by name, --place or --sound-of",
     [](CLI::App& command, Options& options) {
         command.add_option("PATH", options.files, "PCG files and folders (searched for *.pcg in any case), then NAME")
             ->required()
             ->type_name("PATH... [NAME]");
         command.add_option("--place", options.place, "Records at a place (Prog U-A006), and slots that play it")
             ->type_name("PLACE");
         command
             .add_option("--sound-of", options.soundOf,
                         "The sound of the record at PLACE in FILE, under any name: records and slots that play it")
             ->expected(2)
             ->type_name("FILE PLACE");
         command.add_option("--kind", options.kinds, "Only prog, combi, slot or setlist (repeat for more)")
             ->type_name("KIND");
         command.add_flag("--json", options.json, "The hits as one JSON document");
         Library(command, options);
         Output(command, options, ToStandardOutput);
     },
     &RunFind},
    {"dups", "Records of the same sound, and identical set lists, within and across the files and folders named",
     [](CLI::App& command, Options& options) {
         command.add_option("PATH", options.files, "PCG files and folders (searched for *.pcg in any case)")
             ->required();
         command.add_flag("--across", options.across, "Only groups whose places lie in two files or more");
         command.add_flag("--json", options.json, "The groups as one JSON document");
         Library(command, options);
         Output(command, options, ToStandardOutput);
     },
     &RunDups},
    {"history", "The files as versions of one file: what changed in each against the one before (status 1)",
     [](CLI::App& command, Options& options) {
         command.add_option("FILE", options.files, "The versions, oldest first (or folders of them)")->required();
         command.add_flag("--by-time", options.byTime, "Oldest first by the time each was last changed");
         command
             .add_option("--place", options.place, "Only the records at a place (Prog U-A006), and slots playing it")
             ->type_name("PLACE");
         command
             .add_option("--name", options.what, "Only records, set lists and slots of that name (letters in any case)")
             ->type_name("NAME");
         command.add_option("--jobs", options.jobs, "Threads that read files (default: one per core)")->type_name("N");
         Output(command, options, ToStandardOutput);
     },
     &RunHistory},
    {"html", "A web page of one file, or of two compared (OLD NEW)",
     [](CLI::App& command, Options& options) {
         command.add_option("FILE", options.files, "One PCG file, or OLD and NEW to compare")
             ->required()
             ->expected(1, 2);
         Output(command, options,
                "Write the page to FILE (- for standard output), over a page of scry, or any other file with --force. "
                "Without -o the page is written beside the (new) input, as name.html or name_diff.html");
     },
     &RunHtml},
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
    Options options;
    std::vector<std::pair<CLI::App*, const CommandRow*>> commands;
    for (const CommandRow& row : Commands) {
        CLI::App* command = app.add_subcommand(row.name, row.summary);
        if (named == nullptr || named == &row)   // the options of the command named, or of all for --help
            row.declare(*command, options);
        command->footer(ExitStatuses);
        commands.emplace_back(command, &row);
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
        if (!helpErr.str().empty()) {
            std::string said = helpErr.str();
            while (!said.empty() && said.back() == '\n')
                said.pop_back();
            SayError(console, said);
        }
        return status == 0 ? Success : TroubleStatus;
    }
    try {
        for (const auto& [command, row] : commands)
            if (command->parsed())
                return row->run(options, console);
        return TroubleStatus;   // require_subcommand(1) lets no other way through
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
