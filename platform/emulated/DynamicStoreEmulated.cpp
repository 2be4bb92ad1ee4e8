#include "platform/emulated/DynamicStoreEmulated.h"

#include "foundation/PlistIO.h"

#include <filesystem>

namespace veltrona {

namespace {

// A snapshot taken at creation, so the keys one action reads agree with each other.
class SnapshotConnection final : public DynamicStoreConnection {
public:
    explicit SnapshotConnection(PlistDictionary keys) : keys_(std::move(keys)) { }

    std::optional<PlistValue> copyValue(std::string_view key) const override
    {
        const PlistValue* value = keys_.find(key);
        if (!value || !value->dictionary())
            return std::nullopt;
        return *value;
    }

private:
    PlistDictionary keys_;
};

} // namespace

DynamicStoreEmulated::DynamicStoreEmulated(PlatformPaths paths, LiveNetworkSources live)
    : paths_(std::move(paths)), live_(std::move(live))
{
}

std::unique_ptr<DynamicStoreConnection> DynamicStoreEmulated::create(std::string_view /*clientName*/)
{
    const std::string file = paths_.map(kDynamicStoreFile);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
        return std::make_unique<SnapshotConnection>(dynamicStoreKeys(readLiveNetwork(live_)));
    std::optional<PlistValue> keys = readPlistDictionaryFile(file);
    if (!keys)
        return nullptr;
    return std::make_unique<SnapshotConnection>(*keys->dictionary());
}

} // namespace veltrona
