// Serving, as status tells it: what the listed vpnd process last said about serving.

#include "vpnserver/ServingState.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(ServingStateTest, TheListedProcessesLastWordCounts)
{
    const std::string log =
        "2026-12-08 10:00:00.000 vpnd[41:41] Serving L2TP/IPsec on UDP 500, 4500\n"
        "2026-12-08 10:00:01.000 vpnd[41:41] Stopped serving\n"
        "2026-12-08 10:00:02.000 vpnd[57:57] Not serving: PPTP needs kernel PPP, which this machine lacks\n"
        "2026-12-08 10:00:03.000 vpnd[63:63] Serving L2TP/IPsec on UDP 500, 4500\n"
        "2026-12-08 10:00:04.000 vpnd[63:63] Refused a login as bob\n"
        "2026-12-08 10:00:05.000 vpnd[630:630] Not serving: another vpnd\n"
        "2026-12-08 10:00:06.000 other[63:63] Not serving: another program";
    struct Case {
        const char* pid;
        bool serving;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{
             {"63", true, "yes (L2TP/IPsec on UDP 500, 4500)"},
             {"57", false, "no (PPTP needs kernel PPP, which this machine lacks)"},
             {"41", false, "no (the server is stopped)"},
             {"99", false, "no (vpnd is starting)"},
             {"-", false, "no (vpnd is not running)"},
             {"", false, "no (the server is stopped)"},
             {"6 3", false, "no (vpnd is not running)"},
         }) {
        const ServingState state = servingFromLog(c.pid, log);
        EXPECT_EQ(state.serving, c.serving) << c.pid;
        EXPECT_EQ(state.text(), c.text) << c.pid;
    }
}

} // namespace
} // namespace veltrona::test
