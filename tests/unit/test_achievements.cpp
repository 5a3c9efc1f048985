#include "TestSupport.h"
#include "core/Achievement.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

namespace {

UserStatsReceived_t statsAnswer(const AchievementManager& manager, EResult result)
{
    return UserStatsReceived_t{manager.gameId, result, CSteamID(0)};
}

class Achievements : public testing::Test {
protected:
    void SetUp() override
    {
        SteamPlatform::reset();
        settingsStorage().strings.clear();
    }
};

} // namespace

TEST_F(Achievements, StatsOfAnotherUserClearTheWordsThenRefillAndSave)
{
    settingsStorage().setString("steamID", "111");
    settingsStorage().setInt("achievements0", 1);
    AchievementManager manager;
    manager.loadWords(false);
    ASSERT_TRUE(manager.hasAchievement("HACKER", false));
    manager.setUser("222");
    SteamPlatform::defineAchievement("HACKER", false);
    SteamPlatform::post(statsAnswer(manager, k_EResultOK));
    SteamAPI_RunCallbacks();
    EXPECT_TRUE(manager.statsReceived);
    EXPECT_FALSE(manager.hasAchievement("HACKER", false));
    EXPECT_GT(logLinesContaining("CLEAR ACHIEVEMENTS: OLD STEAM ID = 111, CURRENT = 222"), 0);
    EXPECT_EQ(settingsStorage().getString("steamID", ""), "222");
    EXPECT_EQ(settingsStorage().getInt("achievements0", -1), 0);
    EXPECT_TRUE(fileExists(prefPath() + "settings.storage"));
}

TEST_F(Achievements, UnlocksFromThePlatformAreMergedNeverCleared)
{
    AchievementManager manager;
    manager.setUser("0");
    SteamPlatform::defineAchievement("HACKER", true);
    SteamPlatform::post(statsAnswer(manager, k_EResultOK));
    SteamAPI_RunCallbacks();
    EXPECT_TRUE(manager.hasAchievement("HACKER", false));
    EXPECT_EQ(settingsStorage().getInt("achievements0", 0), 1);
    EXPECT_GT(logLinesContaining("ACHIEVEMENT: HACKER = 1"), 0);
}

TEST_F(Achievements, OfflineNothingIsAskedAndUnusableAnswersChangeNothing)
{
    AchievementManager manager;
    manager.setUser("0");
    EXPECT_EQ(SteamPlatform::statsRequests(), 0);
    EXPECT_EQ(manager.steamId, "0");
    // Answers for another game or with an error are ignored.
    UserStatsReceived_t otherGame = statsAnswer(manager, k_EResultOK);
    otherGame.m_nGameID += 1;
    SteamPlatform::post(otherGame);
    SteamPlatform::post(statsAnswer(manager, k_EResultFail));
    SteamAPI_RunCallbacks();
    EXPECT_FALSE(manager.statsReceived);
    EXPECT_GT(logLinesContaining("RequestStats - failed, 2"), 0);
    // An achievement the platform does not know fails the query.
    SteamPlatform::post(statsAnswer(manager, k_EResultOK));
    SteamAPI_RunCallbacks();
    EXPECT_GT(logLinesContaining("ERROR: retrieving achievement HACKER failed!"), 0);
    EXPECT_FALSE(settingsStorage().has("steamID"));
}

TEST_F(Achievements, StoringNeedsTheStatsFirst)
{
    SteamPlatform::setLoggedOn(true);
    AchievementManager manager;
    manager.unlocked[0] = 1;
    manager.storeAchievements();
    EXPECT_GT(logLinesContaining("ERROR: achievement not saved to steam - flag not initialized."), 0);
    EXPECT_FALSE(SteamPlatform::isAchievementSet("HACKER"));

    manager.setUser("5");
    EXPECT_EQ(SteamPlatform::statsRequests(), 1);
    SteamPlatform::defineAchievement("HACKER", false);
    SteamPlatform::post(statsAnswer(manager, k_EResultOK));
    SteamAPI_RunCallbacks();
    manager.unlock("HACKER");
    manager.storeAchievements();
    EXPECT_TRUE(SteamPlatform::isAchievementSet("HACKER"));
    EXPECT_GT(logLinesContaining("Achievements saved to Steam."), 0);
    SteamAPI_RunCallbacks();
    EXPECT_GT(logLinesContaining("Stored stats for Steam"), 0);
}

TEST_F(Achievements, UnlockDuringPlayFiresOnceAndIsKeptAtOnce)
{
    AchievementManager manager;
    ASSERT_EQ(manager.achievements.size(), 1u);
    EXPECT_EQ(manager.getPtr(1), nullptr);
    EXPECT_FALSE(manager.hasAchievement("HACKER", false));
    EXPECT_TRUE(manager.unlock("HACKER"));
    EXPECT_TRUE(manager.popupActive);
    EXPECT_EQ(manager.getPtr(0)->popupCounter, 300);
    EXPECT_EQ(settingsStorage().getInt("achievements0", 0), 1);
    EXPECT_TRUE(fileExists(prefPath() + "settings.storage"));

    manager.getPtr(0)->popupCounter = 0;
    manager.popupActive = false;
    EXPECT_FALSE(manager.unlock("HACKER"));
    EXPECT_FALSE(manager.popupActive);
    EXPECT_FALSE(manager.unlock("NOT-THERE"));
    EXPECT_FALSE(manager.hasAchievement("NOT-THERE", false));

    // Words loaded at the start of a game fill the start record too.
    AchievementManager later;
    later.loadWords(false);
    EXPECT_FALSE(later.hasAchievement("HACKER", true));
    later.loadWords(true);
    EXPECT_TRUE(later.hasAchievement("HACKER", true));
}
