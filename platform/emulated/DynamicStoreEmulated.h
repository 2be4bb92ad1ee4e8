#pragma once
// The dynamic store of the emulated Mac: the root's
// Library/Preferences/SystemConfiguration/dynamic-store.plist (key -> dictionary) when present,
// else the live Linux network state (LiveNetwork.h).

#include "platform/DynamicStore.h"
#include "platform/PlatformPaths.h"
#include "platform/emulated/LiveNetwork.h"

namespace veltrona {

inline constexpr const char* kDynamicStoreFile = "/Library/Preferences/SystemConfiguration/dynamic-store.plist";

class DynamicStoreEmulated final : public DynamicStore {
public:
    explicit DynamicStoreEmulated(PlatformPaths paths, LiveNetworkSources live = {});
    // A present but unreadable file gives no connection, as an unreachable store would.
    std::unique_ptr<DynamicStoreConnection> create(std::string_view clientName) override;

private:
    PlatformPaths paths_;
    LiveNetworkSources live_;
};

} // namespace veltrona
