#include "app/UserDefaults.h"

#include "foundation/PlistIO.h"
#include "foundation/PlistValue.h"
#include "foundation/Text.h"
#include "platform/PlatformPaths.h"

#include <optional>
#include <system_error>

namespace veltrona {

namespace {

// A value somebody stored in another form still reads as the text a Mac would give for it.
std::optional<std::string> asText(const PlistValue& value)
{
    if (const auto* text = value.string())
        return *text;
    if (const auto* number = value.integer())
        return std::to_string(*number);
    if (const auto* flag = value.boolean())
        return std::string(*flag ? "1" : "0");
    return std::nullopt;
}

} // namespace

UserDefaults::UserDefaults(std::filesystem::path file) : file_(std::move(file))
{
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec))
        return;
    const auto plist = readPlistFile(file_);
    const PlistDictionary* dictionary = plist ? plist->dictionary() : nullptr;
    if (!dictionary) {
        unreadable_ = true;
        return;
    }
    for (const auto& [key, value] : *dictionary) {
        if (auto text = asText(value))
            stored_[key] = *text;
    }
}

void UserDefaults::registerInitialValues(std::map<std::string, std::string> values)
{
    initial_.clear();
    for (auto& [key, value] : values)
        initial_.emplace(key, std::move(value));
}

std::string UserDefaults::stringForKey(std::string_view key) const
{
    if (auto found = stored_.find(key); found != stored_.end())
        return found->second;
    if (auto found = initial_.find(key); found != initial_.end())
        return found->second;
    return {};
}

int UserDefaults::integerForKey(std::string_view key) const
{
    return intValue(stringForKey(key));
}

Status UserDefaults::setStringForKey(std::string_view key, std::string value)
{
    const std::string name(key);
    stored_[name] = std::move(value);

    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (unreadable_) {
        std::filesystem::path aside = file_;
        aside += ".unreadable";
        std::filesystem::rename(file_, aside, ec);
        unreadable_ = false;
    }
    PlistDictionary dictionary;
    for (const auto& [storedKey, storedValue] : stored_)
        dictionary.set(storedKey, PlistValue(storedValue));
    Status status = writePlistAtomically(dictionary, file_);

    for (const auto& observer : observers_)
        observer(name);
    return status;
}

} // namespace veltrona

namespace veltrona {

std::filesystem::path userDefaultsFile(const PlatformPaths& paths, std::string_view homeDirectory,
                                       std::string_view bundleIdentifier)
{
    std::string home(homeDirectory);
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return paths.map(home + "/Library/Preferences/" + std::string(bundleIdentifier) + ".plist");
}

} // namespace veltrona
