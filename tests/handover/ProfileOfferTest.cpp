// The offer's own clock ends it: ten minutes on, the exact address no longer answers and its
// socket is closed; a withdrawn offer closes at once. The clock is the test's, so nothing waits
// ten minutes.
#include "handover/ProfileOffer.h"
#include "tests/support/OfferFetch.h"
#include "tests/support/ProcessRun.h"

#include <gtest/gtest.h>

#include <atomic>

namespace veltrona::test {
namespace {

using namespace std::chrono_literals;

class ProfileOfferClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!programAvailable("curl"))
            GTEST_SKIP() << "curl is not installed (scripts/install-deps.sh installs it)";
        identity = throwAwayIdentity("127.0.0.1");
        ASSERT_TRUE(identity) << "OpenSSL made no throw-away certificate";
    }
    OfferSettings settings()
    {
        OfferSettings made{"127.0.0.1", "<plist/>"};
        made.now = [this] { return start + std::chrono::seconds(elapsed.load()); };
        return made;
    }

    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::atomic<long> elapsed{0}; // seconds on the offer's clock
    std::optional<TlsIdentity> identity;
};

TEST_F(ProfileOfferClock, TenMinutesOnTheAddressIsGone)
{
    ProfileOffer offer;
    ASSERT_TRUE(offer.start(settings(), *identity).ok());
    const int port = offer.port();
    EXPECT_TRUE(listeningOn(port));
    EXPECT_EQ(offer.expiry(), start + 10min);

    elapsed = 599;
    EXPECT_EQ(offer.waitFor(300ms), OfferState::Open) << "a second before the expiry";
    EXPECT_EQ(fetchOnce(offer.url() + "0").status, 404);

    elapsed = 600;
    EXPECT_EQ(offer.waitFor(5s), OfferState::Expired);
    EXPECT_FALSE(listeningOn(port));
    const Fetched late = fetchOnce(offer.url());
    EXPECT_EQ(late.curlExit, 7);
    EXPECT_EQ(late.body, "");
}

TEST_F(ProfileOfferClock, WithdrawnOfferClosesAtOnceAndOnlyOnce)
{
    ProfileOffer offer;
    ASSERT_TRUE(offer.start(settings(), *identity).ok());
    const int port = offer.port();
    EXPECT_EQ(fetchOnce(offer.url()).body, "<plist/>");
    EXPECT_EQ(offer.waitFor(5s), OfferState::Downloaded);
    offer.withdraw(); // after the download: nothing left to end, and the state stays
    EXPECT_EQ(offer.state(), OfferState::Downloaded);
    EXPECT_FALSE(listeningOn(port));

    ProfileOffer withdrawn;
    ASSERT_TRUE(withdrawn.start(settings(), *identity).ok());
    EXPECT_NE(withdrawn.url(), offer.url()) << "every offer has a token of its own";
    withdrawn.withdraw();
    EXPECT_EQ(withdrawn.state(), OfferState::Withdrawn);
    EXPECT_FALSE(listeningOn(withdrawn.port()));
    EXPECT_FALSE(withdrawn.start(settings(), *identity).ok()) << "an offer is made once";
}

} // namespace
} // namespace veltrona::test
