#pragma once
// The connected clients as `vpnsessions list` prints them, kept while someone watches: asking
// SoftEther for every session's bytes takes it about 2 ms a session, so a list asked for again
// within moments (the window's sheet refreshes every 2 s) is served from this copy, which vpnd
// keeps fresh for as long as it was asked for in the last seconds.

#include "platform/PlatformPaths.h"
#include "platform/vpnd/SoftEtherAdmin.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

inline constexpr std::chrono::milliseconds kSnapshotServed{2500}; // served while younger than this
inline constexpr std::chrono::milliseconds kSnapshotRenewed{1500}; // vpnd renews it from this age
inline constexpr std::chrono::seconds kSnapshotWatched{10};        // after the last ask

// The property list of the sessions.
std::string sessionsPlist(const std::vector<VpnSession>& sessions);

class SessionsSnapshot {
public:
    explicit SessionsSnapshot(const PlatformPaths& paths);

    // The copy, when it is younger than `age`.
    std::optional<std::string> read(std::chrono::milliseconds age) const;
    bool youngerThan(std::chrono::milliseconds age) const;
    void write(const std::string& plist) const;
    // Sessions ended or the server stopped: the copy is no longer true.
    void drop() const;

    // An ask, and whether one came within the time.
    void markAsked() const;
    bool askedWithin(std::chrono::seconds time) const;

private:
    std::optional<std::chrono::milliseconds> ageOf(const std::filesystem::path& file) const;

    std::filesystem::path file_;
    std::filesystem::path asked_;
    std::filesystem::path root_;
};

} // namespace veltrona
