#pragma once
// Ends the sessions of accounts that may no longer log in: when an account is deleted (or stops
// being a VPN user) while connected, its sessions end at the next look, which comes every
// `kReaperInterval` once the directory has changed. Other sessions stay.

#include "platform/vpnd/SessionsSnapshot.h"
#include "platform/vpnd/SoftEtherAdmin.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace veltrona {

inline constexpr std::chrono::milliseconds kReaperInterval{500};

class SessionReaper {
public:
    using Report = std::function<void(const std::string&)>;
    SessionReaper(const PlatformPaths& paths, const AdminChannel& channel, Report report);

    // Looks again when the directory changed since the last look (or a look failed), and renews
    // the snapshot of the sessions while someone watches them.
    void look();

private:
    std::string directoryState() const;
    void endSessionsOfFormerAccounts();
    void renewSnapshot();

    std::filesystem::path root_;
    SoftEtherAdmin admin_;
    SessionsSnapshot snapshot_;
    Report report_;
    std::string lastState_;
    std::string lastFailure_;
};

} // namespace veltrona
