#pragma once
// Looking at a one-time profile offer from outside, as a phone would: curl on loopback, the
// system's table of listening sockets, and zbarimg reading a QR code.

#include <optional>
#include <string>
#include <vector>

namespace veltrona::test {

struct Fetched {
    int curlExit = -1; // 0 when an answer came; 7 when nothing listens
    int status = 0;    // the HTTP status
    std::string contentType;
    std::string body;
};

// One request with curl (no certificate check unless `curlOptions` brings one). Only loopback
// addresses are ever given here.
Fetched fetchOnce(const std::string& url, const std::vector<std::string>& curlOptions = {});

// Whether a TCP socket listens on this port of any address (/proc/net/tcp and tcp6).
bool listeningOn(int port);

// The port of "https://ADDRESS:PORT/...", or 0.
int portOf(const std::string& url);

// The text zbarimg reads from a code drawn in UTF-8 half blocks (a block is a light module),
// drawn back into a grey-scale picture; nothing when it reads none.
std::optional<std::string> decodeHalfBlockCode(const std::string& lines);

} // namespace veltrona::test
