#include "core/SteamApi.h"

#include <gtest/gtest.h>

namespace {

struct Listener {
    int received = 0;
    EResult lastResult = k_EResultFail;
    CCallback<Listener, UserStatsReceived_t> statsReceived{this, &Listener::onStatsReceived};
    void onStatsReceived(UserStatsReceived_t* answer)
    {
        received++;
        lastResult = answer->m_eResult;
    }
};

} // namespace

TEST(OfflinePlatform, StartsWithoutAUserAndKeepsAchievementsItIsGiven)
{
    SteamPlatform::reset();
    EXPECT_TRUE(SteamAPI_Init());
    EXPECT_EQ(SteamUser()->GetSteamID().ConvertToUint64(), 0u);
    EXPECT_FALSE(SteamUser()->BLoggedOn());
    EXPECT_FALSE(SteamUserStats()->RequestCurrentStats());
    EXPECT_FALSE(SteamUserStats()->StoreStats());
    bool achieved = true;
    EXPECT_FALSE(SteamUserStats()->GetAchievement("HACKER", &achieved));

    SteamPlatform::defineAchievement("HACKER", false);
    ASSERT_TRUE(SteamUserStats()->GetAchievement("HACKER", &achieved));
    EXPECT_FALSE(achieved);
    SteamUserStats()->SetAchievement("HACKER");
    EXPECT_TRUE(SteamPlatform::isAchievementSet("HACKER"));
}

TEST(OfflinePlatform, PostedAnswersReachRegisteredHandlersOnlyInRunCallbacks)
{
    SteamPlatform::reset();
    {
        Listener gone; // registers and unregisters again
    }
    Listener listener;
    UserStatsReceived_t answer{CGameID(SteamUtils()->GetAppID()).ToUint64(), k_EResultOK, CSteamID(0)};
    SteamPlatform::post(answer);
    EXPECT_EQ(listener.received, 0);
    SteamAPI_RunCallbacks();
    EXPECT_EQ(listener.received, 1);
    EXPECT_EQ(listener.lastResult, k_EResultOK);
    SteamAPI_RunCallbacks();
    EXPECT_EQ(listener.received, 1);
}
