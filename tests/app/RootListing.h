#pragma once
// Every file-system object under a folder with what it holds, to show that an action changed
// nothing: a file's bytes, a link's target, a folder's mark. Compared whole, before and after.

#include "tests/support/FileText.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace veltrona::test {

inline std::map<std::string, std::string> everyFileWithContents(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> listing;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            listing[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            listing[name] = "folder";
        else
            listing[name] = readText(entry.path());
    }
    return listing;
}

// The names added, removed or changed between two listings, each with a mark: "+", "-" or "~".
inline std::vector<std::string> changedEntries(const std::map<std::string, std::string>& before,
                                               const std::map<std::string, std::string>& after)
{
    std::vector<std::string> changed;
    for (const auto& [name, contents] : before) {
        const auto now = after.find(name);
        if (now == after.end())
            changed.push_back("- " + name);
        else if (now->second != contents)
            changed.push_back("~ " + name);
    }
    for (const auto& [name, contents] : after) {
        if (!before.count(name))
            changed.push_back("+ " + name);
    }
    return changed;
}

} // namespace veltrona::test
