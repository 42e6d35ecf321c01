// scry: what a PCG file holds, what changed between two, and its data for spreadsheets and scripts.
#include <fstream>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "Platform/Platform.h"

namespace {

constexpr const char* Version = "1.0";

// Exit statuses.
constexpr int Same = 0;
constexpr int Differ = 1;
constexpr int TroubleStatus = 2;

struct Options {
    std::vector<std::string> files;
    std::string oldFile;
    std::string newFile;
    std::string output;
    bool all = false;
    bool records = false;
    bool brief = false;
};

scry::FileModel Read(const std::string& path)
{
    scry::FileModel model = scry::ReadModel(path);
    for (const std::string& problem : model.problems)
        std::cerr << "scry: warning: " << path << ": " << problem << "\n";
    return model;
}

std::vector<scry::FileModel> ReadAll(const std::vector<std::string>& paths)
{
    std::vector<scry::FileModel> models;
    for (const std::string& path : paths)
        models.push_back(Read(path));
    return models;
}

// Writes the text to the output file, or to standard output.
void Deliver(const Options& options, const std::string& text)
{
    if (options.output.empty()) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        if (!std::cout)
            throw scry::Trouble("cannot write to standard output");
        return;
    }
    std::ofstream out(options.output, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw scry::Trouble(options.output + ": cannot write");
}

int Show(const Options& options)
{
    std::string out;
    for (const std::string& path : options.files)
        scry::WriteShow(out, Read(path), options.all);
    Deliver(options, out);
    return Same;
}

int Diff(const Options& options)
{
    const scry::FileModel oldFile = Read(options.oldFile);
    const scry::FileModel newFile = Read(options.newFile);
    scry::DiffCounts counts;
    const std::vector<std::string> lines = scry::DiffLines(oldFile, newFile, counts);
    std::ostringstream out;
    if (options.brief) {
        if (!lines.empty())
            out << "Files " << options.oldFile << " and " << options.newFile << " differ\n";
    } else {
        for (const std::string& line : lines)
            out << line << "\n";
        if (!lines.empty())
            out << scry::DiffSummary(counts) << "\n";
    }
    Deliver(options, out.str());
    return lines.empty() ? Same : Differ;
}

int Csv(const Options& options)
{
    std::ostringstream out;
    const std::vector<scry::FileModel> models = ReadAll(options.files);
    if (options.records)
        scry::WriteRecordsCsv(out, models);
    else
        scry::WriteSlotsCsv(out, models, options.all);
    Deliver(options, out.str());
    return Same;
}

// A page is written beside its input unless -o names it, and never over a file that is not a
// page written by scry.
std::string PageName(const Options& options)
{
    if (!options.output.empty())
        return options.output;
    const std::string& source = options.files.back();
    if (source == "-")
        throw scry::Trouble("-: a page of standard input needs -o PAGE.html");
    const std::size_t slash = source.find_last_of("/\\");
    const std::size_t dot = source.find_last_of('.');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? source.substr(0, dot) : source;
    const std::string name = stem + (options.files.size() == 2 ? "_diff.html" : ".html");
    std::ifstream existing(name, std::ios::binary);
    if (existing) {
        std::string start(512, '\0');
        existing.read(start.data(), static_cast<std::streamsize>(start.size()));
        start.resize(static_cast<std::size_t>(existing.gcount()));
        if (start.find("<meta name=\"generator\" content=\"scry") == std::string::npos)
            throw scry::Trouble(name + ": exists and is not a page written by scry; name the page with -o");
    }
    return name;
}

int Html(Options options)
{
    std::string page;
    if (options.files.size() == 1) {
        page = scry::HtmlPage(Read(options.files[0]));
    } else if (options.files.size() == 2) {
        const scry::FileModel oldFile = Read(options.files[0]);
        const scry::FileModel newFile = Read(options.files[1]);
        page = scry::HtmlComparison(oldFile, newFile);
    } else {
        throw scry::Trouble("html takes one file, or two to compare");
    }
    options.output = PageName(options);
    Deliver(options, page);
    std::cerr << "scry: wrote " << options.output << "\n";
    return Same;
}

int Json(const Options& options)
{
    std::ostringstream out;
    scry::WriteJson(out, ReadAll(options.files), options.all);
    Deliver(options, out.str());
    return Same;
}

}   // namespace

int main(int argc, char** argv)
{
    PrepareConsole();
    CLI::App app{"scry: what a PCG file holds, what changed between two, and its data for spreadsheets and "
                 "scripts.\nFILE may be - for standard input.",
                 "scry"};
    app.set_version_flag("--version", std::string("scry ") + Version);
    app.require_subcommand(1);
    Options options;

    CLI::App* show = app.add_subcommand("show", "List set lists, what each used slot plays, banks and chunks");
    show->add_option("FILE", options.files, "PCG files")->required();
    show->add_flag("--all", options.all, "List unused slots too");

    CLI::App* diff = app.add_subcommand("diff", "Record by record differences of NEW against OLD (status 1: differ)");
    diff->add_option("OLD", options.oldFile, "The earlier PCG file")->required()->type_name("FILE");
    diff->add_option("NEW", options.newFile, "The later PCG file")->required()->type_name("FILE");
    diff->add_flag("--brief", options.brief, "Only say whether they differ");

    CLI::App* csv = app.add_subcommand("csv", "RFC 4180 CSV: one row per used slot, or per record");
    csv->add_option("FILE", options.files, "PCG files")->required();
    csv->add_flag("--all", options.all, "Rows for unused slots too");
    csv->add_flag("--records", options.records, "One row per program and combination instead");

    CLI::App* json = app.add_subcommand("json", "Everything scry knows of the files, as one JSON document");
    json->add_option("FILE", options.files, "PCG files")->required();
    json->add_flag("--all", options.all, "Unused slots too");

    CLI::App* html = app.add_subcommand("html", "A web page of one file, or of two compared (OLD NEW)");
    html->add_option("FILE", options.files, "One PCG file, or OLD and NEW to compare")->required()->expected(1, 2);

    for (CLI::App* command : {show, diff, csv, json, html})
        command->add_option("-o,--output", options.output, "Write to this file instead of standard output")
            ->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? Same : TroubleStatus;
    }

    try {
        if (show->parsed())
            return Show(options);
        if (diff->parsed())
            return Diff(options);
        if (csv->parsed())
            return Csv(options);
        if (html->parsed())
            return Html(options);
        return Json(options);
    } catch (const scry::Trouble& trouble) {
        std::cerr << "scry: " << trouble.what() << "\n";
        return TroubleStatus;
    } catch (const std::exception& error) {
        std::cerr << "scry: " << error.what() << "\n";
        return TroubleStatus;
    }
}
