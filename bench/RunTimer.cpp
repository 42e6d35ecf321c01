// bench_runs BANKSCRY INPUT WORKDIR [RUNS [SCRY [REORGANISED [LIBRARY]]]]: times whole bankscry
// runs against the I/O floor, wildcard runs against cat of the same files, a walk through a
// damaged chunk, scry show and diff beside bankscry, follow and copy beside a diff of the same
// two files, and scry find and dups over a library folder beside cat of its files.
//
// In WORKDIR it lists INPUT (a copy) RUNS times after a warm-up, and, run for run in turn, cats
// the input and the two listings it wrote into /dev/null; it prints both medians, their ratio
// and the peak resident memory of bankscry. Then it lists 10 and 50 copies in wildcard runs and
// prints the time per file against cat of the copies and their listings, and the peak memory,
// which stay flat as the work grows. With
// SCRY it times scry show of the input and scry diff of it against a copy with a changed program,
// run for run beside bankscry, and prints their ratios and the peak memory of the diff. With
// REORGANISED (INPUT with banks in other places), it times scry follow of INPUT to it and scry
// copy of a set list from it into INPUT, each beside scry diff of the two files. With LIBRARY (a
// folder of PCG files), it times cat of its files with two jobs, then scry find with two threads
// without a catalogue, filling one, and with it, and scry dups without and with it. Last, a
// file whose set-list chunk of size 1 is followed by 1 MB the walk steps through byte by byte.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct RunResult {
    double seconds;
    long peakKiB;
};

// Runs a program in dir with standard output to /dev/null; fails on a status above okStatus.
RunResult Run(const std::vector<std::string>& args, const fs::path& dir, int okStatus = 0)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const fs::path here = fs::current_path();
    fs::current_path(dir);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    fs::current_path(here);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + args[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto stop = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > okStatus) {
        std::string words;
        for (const std::string& arg : args)
            words += (words.empty() ? "" : " ") + arg;
        throw std::runtime_error(words + ": failed (status " +
                                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")");
    }
    return {std::chrono::duration<double>(stop - start).count(), usage.ru_maxrss};
}

// Runs programs at once (standard output to /dev/null), the time until the last has ended.
double RunTogether(const std::vector<std::vector<std::string>>& programs, const fs::path& dir)
{
    std::vector<pid_t> pids;
    const fs::path here = fs::current_path();
    fs::current_path(dir);
    const auto start = std::chrono::steady_clock::now();
    for (const std::vector<std::string>& args : programs) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start " + args[0]);
        posix_spawn_file_actions_destroy(&actions);
        pids.push_back(pid);
    }
    fs::current_path(here);
    for (const pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("a program run together failed");
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// scry show and diff beside bankscry, run for run.
void ScryRuns(const std::string& scry, const std::string& bankscry, const fs::path& work, int runs)
{
    const fs::path changed = work / "Changed.PCG";
    fs::copy_file(work / "Bench.PCG", changed, fs::copy_options::overwrite_existing);
    {
        // One byte inside the program banks, so that diff finds exactly one changed program.
        std::FILE* file = std::fopen(changed.c_str(), "r+b");
        if (file == nullptr || std::fseek(file, static_cast<long>(fs::file_size(changed) / 2), SEEK_SET) != 0)
            throw std::runtime_error("cannot change " + changed.string());
        const int byte = std::fgetc(file);
        std::fseek(file, -1, SEEK_CUR);
        std::fputc(byte ^ 0x5A, file);
        std::fclose(file);
    }
    const std::vector<std::string> list = {bankscry, "Bench.PCG"};
    const std::vector<std::string> show = {scry, "show", "Bench.PCG"};
    const std::vector<std::string> diff = {scry, "diff", "Bench.PCG", "Changed.PCG"};
    const std::vector<std::string> html = {scry, "html", "Bench.PCG", "-o", "Bench.html"};
    Run(show, work);
    Run(diff, work, 1);
    Run(html, work);
    std::vector<double> listTimes, showTimes, diffTimes, htmlTimes;
    long showPeak = 0, diffPeak = 0;
    for (int i = 0; i < runs; ++i) {
        listTimes.push_back(Run(list, work).seconds);
        const RunResult shown = Run(show, work);
        showTimes.push_back(shown.seconds);
        showPeak = std::max(showPeak, shown.peakKiB);
        const RunResult diffed = Run(diff, work, 1);
        diffTimes.push_back(diffed.seconds);
        diffPeak = std::max(diffPeak, diffed.peakKiB);
        htmlTimes.push_back(Run(html, work).seconds);
    }
    const double listMedian = Median(listTimes);
    std::printf(
        "scry show, median:             %7.2f ms = %.2f x bankscry's %.2f ms (target 1.5 or less), peak %.1f MiB\n",
        Median(showTimes) * 1e3, Median(showTimes) / listMedian, listMedian * 1e3, showPeak / 1024.0);
    std::printf("scry diff of two, median:      %7.2f ms = %.2f x bankscry's (target 2.2 or less)\n",
                Median(diffTimes) * 1e3, Median(diffTimes) / listMedian);
    std::printf("scry diff peak memory:         %7.1f MiB (target 64 or less)\n", diffPeak / 1024.0);
    std::printf(
        "scry html, median:             %7.2f ms, whole run (target 100 or less); page %llu bytes (target 3 MB)\n",
        Median(htmlTimes) * 1e3, static_cast<unsigned long long>(fs::file_size(work / "Bench.html")));
    fs::remove(work / "Bench.html");

    // Every command's peak memory on the file beside show's: each made and handed on as it goes.
    std::printf("peak memory of each command on the file (target 32 MiB or less each), show's %.1f MiB beside:\n",
                showPeak / 1024.0);
    Run({scry, "setlist", "Bench.PCG", "0", "-o", "Bench0.txt"}, work);
    const std::vector<std::vector<std::string>> commands = {
        {scry, "json", "Bench.PCG"},
        {scry, "json", "--all", "Bench.PCG"},
        {scry, "csv", "--all", "Bench.PCG"},
        {scry, "csv", "--records", "Bench.PCG"},
        {scry, "html", "Bench.PCG", "-o", "Bench.html"},
        {scry, "html", "Bench.PCG", "Changed.PCG", "-o", "Compare.html"},
        {scry, "setlist", "Bench.PCG", "0"},
        {scry, "gig", "Bench.PCG", "0", "-o", "Gig.html"},
        {scry, "stage", "Bench.PCG", "0", "-o", "Stage.html"},
        {scry, "uses", "Bench.PCG", "Prog I-A000"},
        {scry, "textconv", "Bench.PCG"},
        {scry, "apply", "Bench.PCG", "Bench0.txt", "-o", "Applied.PCG"},
    };
    for (const std::vector<std::string>& command : commands) {
        long peak = 0;
        for (int i = 0; i < 3; ++i) {
            peak = std::max(peak, Run(command, work, 1).peakKiB);
            fs::remove(work / "Applied.PCG");
        }
        std::string words;
        for (std::size_t k = 1; k < command.size() && command[k] != "-o"; ++k)
            words += (k > 1 ? " " : "") + command[k];
        std::printf("  scry %-40s %7.1f MiB (%.1f x show's)%s\n", words.c_str(), peak / 1024.0,
                    static_cast<double>(peak) / static_cast<double>(showPeak), peak > 32 * 1024 ? "  OVER" : "");
    }
    for (const char* made : {"Bench0.txt", "Bench.html", "Compare.html", "Gig.html", "Stage.html"})
        fs::remove(work / made);
    fs::remove(changed);
}

// scry follow and scry copy --setlist between the file and its reorganised copy, run for run
// beside scry diff of the two; each writes a new file, removed before the next run.
void CarryRuns(const std::string& scry, const fs::path& reorganised, const fs::path& work, int runs)
{
    fs::copy_file(reorganised, work / "Reorganised.PCG", fs::copy_options::overwrite_existing);
    const std::vector<std::string> diff = {scry, "diff", "Bench.PCG", "Reorganised.PCG"};
    const std::vector<std::string> follow = {scry, "follow", "Bench.PCG", "Reorganised.PCG", "-o", "Followed.PCG"};
    const std::vector<std::string> copy = {scry,   "copy",       "Reorganised.PCG", "Bench.PCG",
                                           "-o",   "Copied.PCG", "--setlist",       "5=12",
                                           "--to", "U-G",        "--force"};
    const auto timed = [&](const std::vector<std::string>& args, const char* output, int okStatus) {
        fs::remove(work / output);
        return Run(args, work, okStatus).seconds;
    };
    Run(diff, work, 1);
    timed(follow, "Followed.PCG", 1);
    timed(copy, "Copied.PCG", 0);
    std::vector<double> diffTimes, followTimes, copyTimes;
    for (int i = 0; i < runs; ++i) {
        diffTimes.push_back(Run(diff, work, 1).seconds);
        followTimes.push_back(timed(follow, "Followed.PCG", 1));
        copyTimes.push_back(timed(copy, "Copied.PCG", 0));
    }
    const double diffMedian = Median(diffTimes);
    std::printf("scry diff of it and its reorganised copy, median: %7.2f ms\n", diffMedian * 1e3);
    std::printf("scry follow, median:           %7.2f ms = %.2f x that diff (target 3 or less), a 40 MB file written\n",
                Median(followTimes) * 1e3, Median(followTimes) / diffMedian);
    std::printf("scry copy --setlist, median:   %7.2f ms = %.2f x that diff (target 3 or less), a 40 MB file written\n",
                Median(copyTimes) * 1e3, Median(copyTimes) / diffMedian);
    for (const char* name : {"Reorganised.PCG", "Followed.PCG", "Copied.PCG"})
        fs::remove(work / name);
}

// scry find and dups over a library folder, beside cat of its files with two jobs.
void LibraryRuns(const std::string& scry, const fs::path& library, const fs::path& work, int runs)
{
    std::vector<std::string> files;
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(library)) {
        files.push_back(entry.path().string());
        bytes += entry.file_size();
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> firstHalf{"cat"}, secondHalf{"cat"};
    for (std::size_t i = 0; i < files.size(); ++i)
        (i < files.size() / 2 ? firstHalf : secondHalf).push_back(files[i]);
    const std::string catalogue = (work / "library.sqlite").string();
    const auto noCatalogue = [&](const char* command) {
        std::vector<std::string> args{scry, command, library.string()};
        if (std::string(command) == "find")
            args.push_back("Deep Organ");
        args.insert(args.end(), {"--jobs", "2", "--no-catalogue"});
        return args;
    };
    const auto withCatalogue = [&](const char* command) {
        std::vector<std::string> args = noCatalogue(command);
        args.back() = "--catalogue=" + catalogue;
        return args;
    };
    const auto forget = [&] {
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(catalogue + suffix);
    };
    RunTogether({firstHalf, secondHalf}, work);   // warm-up: every file in the page cache
    Run(noCatalogue("find"), work);
    std::vector<double> cat, cold, fill, warm, dupsCold, dupsWarm, idle, dupsRatio, catRatio;
    long coldPeak = 0, fillPeak = 0;
    for (int i = 0; i < std::max(5, runs / 2); ++i) {
        cat.push_back(RunTogether({firstHalf, secondHalf}, work));
        const RunResult coldRun = Run(noCatalogue("find"), work);
        cold.push_back(coldRun.seconds);
        coldPeak = std::max(coldPeak, coldRun.peakKiB);
        forget();
        const RunResult fillRun = Run(withCatalogue("find"), work);
        fill.push_back(fillRun.seconds);
        fillPeak = std::max(fillPeak, fillRun.peakKiB);
        warm.push_back(Run(withCatalogue("find"), work).seconds);
        dupsCold.push_back(Run(noCatalogue("dups"), work).seconds);
        // Ratios taken round by round, so that a machine whose speed drifts compares like with like.
        dupsRatio.push_back(dupsCold.back() / cold.back());
        catRatio.push_back(cold.back() / cat.back());
        dupsWarm.push_back(Run(withCatalogue("dups"), work).seconds);
        idle.push_back(Run({scry, "--version"}, work).seconds);
    }
    forget();
    const double catMedian = Median(cat), coldMedian = Median(cold), fillMedian = Median(fill),
                 warmMedian = Median(warm);
    std::printf("library of %zu files (%.1f GB): cat of them with two jobs, median %.2f ms\n", files.size(),
                static_cast<double>(bytes) / 1e9, catMedian * 1e3);
    std::printf("scry find, no catalogue, two threads: %7.2f ms = %.2f x cat (target 1.5 or less), peak %.1f MiB "
                "(target 64 or less)\n",
                coldMedian * 1e3, Median(catRatio), coldPeak / 1024.0);
    std::printf("scry find filling the catalogue:      %7.2f ms = %.2f x cat (target 2 or less), peak %.1f MiB\n",
                fillMedian * 1e3, fillMedian / catMedian, fillPeak / 1024.0);
    std::printf("scry find with the catalogue:         %7.2f ms = 1/%.0f of the first (target 1/50 or less; 150 ms or "
                "less)\n",
                warmMedian * 1e3, fillMedian / warmMedian);
    std::printf("  for scale, scry --version, a run that reads nothing: %.2f ms = 1/%.0f of the first\n",
                Median(idle) * 1e3, fillMedian / Median(idle));
    std::printf("scry dups, no catalogue:              %7.2f ms = %.2f x find (target 1.2 or less); with the catalogue "
                "%.2f ms = %.2f x find with it\n",
                Median(dupsCold) * 1e3, Median(dupsRatio), Median(dupsWarm) * 1e3, Median(dupsWarm) / warmMedian);
    std::printf("  (the ratios to cat and to find are the median of each round's, its runs one after the other; "
                "as ratios of the medians: %.2f and %.2f)\n",
                coldMedian / catMedian, Median(dupsCold) / coldMedian);
}

void WildcardRun(const std::string& bankscry, const fs::path& input, const fs::path& work, int copies)
{
    const fs::path dir = work / ("copies" + std::to_string(copies));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> everything = {"cat"};
    for (int i = 0; i < copies; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Bench%02d", i);
        fs::copy_file(input, dir / (std::string(name) + ".PCG"));
        for (const char* suffix : {".PCG", "_out.txt", "_out.txt_sets.csv"})
            everything.push_back(dir.filename().string() + "/" + name + suffix);
    }
    const std::string pattern = dir.filename().string() + "/*.PCG";
    Run({bankscry, pattern}, work);   // warm-up: every copy and listing in the page cache
    Run(everything, work);
    std::vector<double> listTimes, floorTimes;
    long peakKiB = 0;
    for (int round = 0; round < 3; ++round) {
        const RunResult result = Run({bankscry, pattern}, work);
        listTimes.push_back(result.seconds);
        peakKiB = std::max(peakKiB, result.peakKiB);
        floorTimes.push_back(Run(everything, work).seconds);
    }
    const double perFile = Median(listTimes) * 1e3 / copies;
    const double floorPerFile = Median(floorTimes) * 1e3 / copies;
    std::printf("wildcard run, %2d files: %7.2f ms per file = %.2f x cat's %.2f ms per file (target 1.0), "
                "peak memory %5.1f MiB (target 24 or less)\n",
                copies, perFile, perFile / floorPerFile, floorPerFile, peakKiB / 1024.0);
    fs::remove_all(dir);
}

// A set-list chunk of size 1 followed by 1 MB of bytes that no chunk holds: the walk steps
// through them one byte at a time, logging each step.
void StepRun(const std::string& bankscry, const fs::path& work)
{
    const fs::path file = work / "Steps.PCG";
    {
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (out == nullptr)
            throw std::runtime_error("cannot write " + file.string());
        const unsigned char head[] = {'K', 'O', 'R', 'G', 0x68, 0,   0, 0,    0,    0,    0, 0, 0, 0,
                                      0,   0,   'P', 'C', 'G',  '1', 0, 0x0F, 0x42, 0x58, 0, 0, 0, 0,
                                      'S', 'L', 'S', '1', 0,    0,   0, 1,    0,    0,    0, 0};
        std::fwrite(head, 1, sizeof head, out);
        std::uint32_t state = 12345;
        for (int i = 0; i < 1000000; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            std::fputc(static_cast<int>(state >> 24), out);
        }
        std::fclose(out);
    }
    std::vector<double> times;
    for (int i = 0; i < 3; ++i)
        times.push_back(Run({bankscry, "Steps.PCG"}, work).seconds);
    std::printf("1 MB stepped through a byte at a time, log included: %.2f s (target 0.5 or less)\n", Median(times));
    fs::remove(file);
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_runs BANKSCRY INPUT WORKDIR [RUNS [SCRY [REORGANISED [LIBRARY]]]]\n");
        return 2;
    }
    try {
        const std::string bankscry = fs::absolute(argv[1]).string();
        const fs::path work = fs::absolute(argv[3]);
        const int runs = argc > 4 ? std::max(7, std::atoi(argv[4])) : 9;
        fs::create_directories(work);
        const fs::path input = work / "Bench.PCG";
        fs::copy_file(argv[2], input, fs::copy_options::overwrite_existing);
        const auto inputSize = fs::file_size(input);

        const std::vector<std::string> list = {bankscry, "Bench.PCG"};
        const std::vector<std::string> floor = {"cat", "Bench.PCG", "Bench_out.txt", "Bench_out.txt_sets.csv"};
        // Not part of the floor, shown beside it: writing the two listings over earlier ones.
        fs::create_directories(work / "rewritten");
        const std::vector<std::string> rewrite = {"cp", "Bench_out.txt", "Bench_out.txt_sets.csv", "rewritten/"};
        Run(list, work);
        Run(floor, work);
        Run(rewrite, work);
        std::vector<double> listTimes;
        std::vector<double> floorTimes;
        std::vector<double> rewriteTimes;
        long peakKiB = 0;
        for (int i = 0; i < runs; ++i) {
            const RunResult listed = Run(list, work);
            listTimes.push_back(listed.seconds);
            peakKiB = std::max(peakKiB, listed.peakKiB);
            floorTimes.push_back(Run(floor, work).seconds);
            rewriteTimes.push_back(Run(rewrite, work).seconds);
        }
        const auto reportSize = fs::file_size(work / "Bench_out.txt");
        const auto csvSize = fs::file_size(work / "Bench_out.txt_sets.csv");
        const double listMedian = Median(listTimes);
        const double floorMedian = Median(floorTimes);
        std::printf("input %llu bytes, report %llu bytes, CSV %llu bytes; %d runs each after a warm-up\n",
                    static_cast<unsigned long long>(inputSize), static_cast<unsigned long long>(reportSize),
                    static_cast<unsigned long long>(csvSize), runs);
        std::printf("bankscry run, median:          %7.2f ms (min %.2f, max %.2f)\n", listMedian * 1e3,
                    *std::min_element(listTimes.begin(), listTimes.end()) * 1e3,
                    *std::max_element(listTimes.begin(), listTimes.end()) * 1e3);
        std::printf("I/O floor (cat of all three):  %7.2f ms (min %.2f, max %.2f)\n", floorMedian * 1e3,
                    *std::min_element(floorTimes.begin(), floorTimes.end()) * 1e3,
                    *std::max_element(floorTimes.begin(), floorTimes.end()) * 1e3);
        std::printf("ratio bankscry / floor:        %7.2f   (target 1.0, acceptance 1.3 or less)\n",
                    listMedian / floorMedian);
        std::printf("for scale, cp of the two listings over earlier copies: %.2f ms\n", Median(rewriteTimes) * 1e3);
        std::printf("bankscry peak memory:          %7.1f MiB (target 24 or less)\n", peakKiB / 1024.0);
        if (argc > 5)
            ScryRuns(fs::absolute(argv[5]).string(), bankscry, work, runs);
        if (argc > 6)
            CarryRuns(fs::absolute(argv[5]).string(), fs::absolute(argv[6]), work, runs);
        if (argc > 7)
            LibraryRuns(fs::absolute(argv[5]).string(), fs::absolute(argv[7]), work, runs);
        WildcardRun(bankscry, input, work, 10);
        WildcardRun(bankscry, input, work, 50);
        StepRun(bankscry, work);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_runs: %s\n", error.what());
        return 1;
    }
    return 0;
}
