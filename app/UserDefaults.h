#pragma once
// The application's user defaults: registered initial values, and the values the user changed,
// kept in a property list in the user's Library/Preferences. Values are texts ("0", "1", "~");
// readers take their integer value.

#include "foundation/Status.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

class UserDefaults {
public:
    // Reads the stored values; a missing file means none, an unreadable one is set aside on the
    // first write so that it is never silently overwritten.
    explicit UserDefaults(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }

    // setInitialValues: the values a key has until one is stored for it.
    void registerInitialValues(std::map<std::string, std::string> values);
    bool hasInitialValues() const { return !initial_.empty(); }

    // The stored value, else the initial value, else "".
    std::string stringForKey(std::string_view key) const;
    // Foundation's intValue of the text.
    int integerForKey(std::string_view key) const;

    // Stores the value and writes the file at once; observers hear of every change.
    Status setStringForKey(std::string_view key, std::string value);

    using Observer = std::function<void(const std::string& key)>;
    void addObserver(Observer observer) { observers_.push_back(std::move(observer)); }

private:
    std::filesystem::path file_;
    std::map<std::string, std::string, std::less<>> initial_;
    std::map<std::string, std::string, std::less<>> stored_;
    std::vector<Observer> observers_;
    bool unreadable_ = false;
};

} // namespace veltrona

namespace veltrona {

class PlatformPaths;

// Where a Mac keeps an application's defaults: ~/Library/Preferences/BUNDLE-ID.plist, with the
// user's home given as a platform path.
std::filesystem::path userDefaultsFile(const PlatformPaths& paths, std::string_view homeDirectory,
                                       std::string_view bundleIdentifier);

} // namespace veltrona
