#include "tests/support/OfferFetch.h"

#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <sstream>

namespace veltrona::test {

Fetched fetchOnce(const std::string& url, const std::vector<std::string>& curlOptions)
{
    TempDir dir;
    std::vector<std::string> arguments{"--silent",    "--insecure",
                                       "--max-time",  "10",
                                       "--output",    (dir / "body").string(),
                                       "--write-out", "%{http_code} %{content_type}"};
    arguments.insert(arguments.end(), curlOptions.begin(), curlOptions.end());
    arguments.push_back(url);
    const ProcessRun run = runProgram("curl", arguments);
    Fetched fetched;
    fetched.curlExit = run.exitStatus;
    std::istringstream written(run.out);
    written >> fetched.status;
    std::getline(written >> std::ws, fetched.contentType);
    if (std::filesystem::exists(dir / "body"))
        fetched.body = readText(dir / "body");
    return fetched;
}

bool listeningOn(int port)
{
    // Columns: sl local_address rem_address st ...; the port is hex after the colon, 0A is LISTEN.
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream file(table);
        std::string line;
        std::getline(file, line);
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const std::size_t colon = local.rfind(':');
            if (colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port && state == "0A")
                return true;
        }
    }
    return false;
}

int portOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    const std::size_t colon = url.rfind(':', slash);
    if (scheme == std::string::npos || colon == std::string::npos || colon < scheme + 3)
        return 0;
    try {
        return std::stoi(url.substr(colon + 1, slash - colon - 1));
    } catch (...) {
        return 0;
    }
}

std::optional<std::string> decodeHalfBlockCode(const std::string& lines)
{
    // Each character is one module wide and two high: its upper and lower halves.
    const std::string full = "\u2588", upper = "\u2580", lower = "\u2584";
    std::vector<std::vector<bool>> light;
    std::istringstream text(lines);
    std::string line;
    while (std::getline(text, line)) {
        std::vector<bool> top, bottom;
        for (std::size_t i = 0; i < line.size();) {
            if (line[i] == ' ') {
                top.push_back(false);
                bottom.push_back(false);
                ++i;
                continue;
            }
            const std::string glyph = line.substr(i, 3);
            if (glyph != full && glyph != upper && glyph != lower)
                return std::nullopt;
            top.push_back(glyph != lower);
            bottom.push_back(glyph != upper);
            i += 3;
        }
        light.push_back(top);
        light.push_back(bottom);
    }
    if (light.empty() || light.front().empty())
        return std::nullopt;
    constexpr int kScale = 4;
    const std::size_t width = light.front().size();
    TempDir dir;
    std::ofstream picture(dir / "code.pgm", std::ios::binary);
    picture << "P5\n" << width * kScale << ' ' << light.size() * kScale << "\n255\n";
    for (const std::vector<bool>& row : light) {
        if (row.size() != width)
            return std::nullopt;
        std::string scaled;
        for (const bool isLight : row)
            scaled.append(kScale, isLight ? '\xff' : '\0');
        for (int i = 0; i < kScale; ++i)
            picture << scaled;
    }
    picture.close();
    const ProcessRun read = runProgram("zbarimg", {"--quiet", "--raw", (dir / "code.pgm").string()});
    if (read.exitStatus != 0 || read.out.empty())
        return std::nullopt;
    std::string decoded = read.out;
    while (!decoded.empty() && decoded.back() == '\n')
        decoded.pop_back();
    return decoded;
}

} // namespace veltrona::test
