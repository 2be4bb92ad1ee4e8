#pragma once
// One client profile offered once at a secret HTTPS address: the first request for the exact
// address gets the profile, every other request a 404 with nothing in it. The offer ends at that
// download, at its expiry or when withdrawn; then the listening socket is closed.

#include "foundation/Status.h"
#include "handover/TlsIdentity.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace veltrona {

// What a phone's browser offers to install.
inline constexpr const char* kProfileMimeType = "application/x-apple-aspen-config";
inline constexpr std::chrono::minutes kOfferLifetime{10};

using OfferClock = std::function<std::chrono::steady_clock::time_point()>;

struct OfferSettings {
    std::string bindAddress; // an address of this machine; "0.0.0.0" only when asked for
    std::string body;        // the profile, as it is served
    // The address the phone opens, when it is not the bind address (one that listens on every
    // interface names none a phone could open).
    std::string shownAddress = {};
    std::chrono::steady_clock::duration lifetime = kOfferLifetime;
    OfferClock now = [] { return std::chrono::steady_clock::now(); };
};

enum class OfferState {
    NotStarted,
    Open,
    Downloaded,
    BrokenOff, // the one download began but the whole profile was not sent
    Expired,
    Withdrawn,
};

class ProfileOffer {
public:
    ProfileOffer();
    // Withdraws an open offer.
    ~ProfileOffer();
    ProfileOffer(const ProfileOffer&) = delete;
    ProfileOffer& operator=(const ProfileOffer&) = delete;

    // Listens on an ephemeral port of the bind address with a new token. Fails (and nothing
    // listens) when the address cannot be bound, the TLS identity is refused or no token can be made.
    Status start(OfferSettings settings, const TlsIdentity& identity);

    const std::string& url() const { return url_; }
    std::uint16_t port() const { return port_; }
    std::chrono::steady_clock::time_point expiry() const { return expiry_; }

    // Once no longer Open, the socket is closed and no thread of the offer runs.
    OfferState state() const;
    // Waits up to `timeout` for the offer to end; its state then.
    OfferState waitFor(std::chrono::milliseconds timeout);
    // Ends an open offer at once.
    void withdraw();

private:
    struct Server;
    void watch();
    void end(OfferState reason);

    std::unique_ptr<Server> server_;
    OfferSettings settings_;
    std::string path_;
    std::string url_;
    std::uint16_t port_ = 0;
    std::chrono::steady_clock::time_point expiry_{};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    OfferState state_ = OfferState::NotStarted;
    // Asked of the watcher: the download was served, or the offer withdrawn.
    OfferState requested_ = OfferState::Open;
    bool claimed_ = false; // the one download has begun
    std::atomic<bool> listenerEnded_{false};
    std::thread listener_;
    std::thread watcher_;
};

} // namespace veltrona
