// Files named and folders searched.
#include "library/Files.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace scry {

namespace fs = std::filesystem;

namespace {

// A path made absolute against the folder the search started in (asked of the system once, not
// once a file), and normal.
std::string KeyOf(const fs::path& path, const fs::path& current)
{
    fs::path absolute;
    if (!path.has_root_name() && !path.has_root_directory() && !current.empty()) {
        absolute = current / path;
    } else {
        std::error_code ignored;
        absolute = fs::absolute(path, ignored);
    }
    return (absolute.empty() ? path : absolute).lexically_normal().string();
}

// The PCG files under a folder and all its folders (links to folders not followed, so that no
// search goes round for ever); a folder that cannot be read is said, and the others searched.
void FilesUnder(const fs::path& root, std::vector<fs::path>& under, std::vector<FileTrouble>& trouble)
{
    std::vector<fs::path> folders{root};
    while (!folders.empty()) {
        const fs::path folder = std::move(folders.back());
        folders.pop_back();
        std::error_code error;
        fs::directory_iterator it(folder, error);
        for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
            std::error_code ignored;
            const fs::file_status own = it->symlink_status(ignored);
            if (fs::is_directory(own))
                folders.push_back(it->path());
            else if (IsPcgName(it->path().filename().string()) && it->is_regular_file(ignored))
                under.push_back(it->path());
        }
        if (error)
            trouble.push_back({folder.string(), "the folder cannot be read (" + error.message() + "); it is not searched"});
    }
}

}   // namespace

bool IsPcgName(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".pcg";
}

FilesFound FindLibraryFiles(const std::vector<std::string>& paths, bool distinct)
{
    FilesFound found;
    std::set<std::string> seen;
    std::error_code noCurrent;
    const fs::path current = fs::current_path(noCurrent);
    const auto add = [&](const fs::path& path, bool named) {
        LibraryFile file{path.string(), KeyOf(path, current), named};
        if (seen.insert(file.key).second || !distinct)
            found.files.push_back(std::move(file));
    };
    for (const std::string& name : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(name, error);
        if (fs::is_directory(status)) {
            std::vector<fs::path> under;
            FilesUnder(name, under, found.trouble);
            std::sort(under.begin(), under.end());
            for (const fs::path& path : under)
                add(path, false);
            found.roots.push_back(KeyOf(name, current));
        } else if (fs::is_regular_file(status)) {
            add(name, true);
        } else if (fs::exists(status)) {
            // Named, but no file: said as what it is, never read (a FIFO would hold the search).
            const fs::file_type type = status.type();
            found.trouble.push_back({name, type == fs::file_type::fifo ? "a FIFO, not a file"
                                           : type == fs::file_type::character || type == fs::file_type::block
                                               ? "a device, not a file"
                                               : "not a regular file"});
        } else {
            found.trouble.push_back({name, error && status.type() != fs::file_type::not_found
                                               ? error.message()
                                               : "no such file or folder"});
        }
    }
    return found;
}

}   // namespace scry
