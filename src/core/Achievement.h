#pragma once

#include "core/SteamApi.h"

#include <cstdint>
#include <string>
#include <vector>

// One achievement: its platform ID and its texts, each kept as written and as shown
// in the current language.
struct Achievement {
    std::string id;
    std::string sourceName, sourceNotice, sourcePopup, sourceRequirement;
    std::string name, notice, popup, requirement;
    int popupCounter = 0; // counted down by the game while the popup shows
};

// The achievement list, the player's unlock record (kept in the settings) and the
// store platform's copy of it.
class AchievementManager {
public:
    static constexpr int wordCount = 4;
    static constexpr int perWord = 30;

    AchievementManager();
    virtual ~AchievementManager();

    bool popupActive = false;
    std::vector<Achievement> achievements;
    uint32_t unlocked[wordCount] = {};
    uint32_t unlockedAtStart[wordCount] = {};
    std::string steamId;
    uint64 gameId = 0;
    bool statsReceived = false;

    void init();
    void add(const std::string& id, const std::string& name, const std::string& notice,
             const std::string& popup, const std::string& requirement);
    void translateTexts();
    Achievement* getPtr(int index);
    bool hasAchievement(const std::string& id, bool atStart);
    bool isOutOfBounds(int word) const;
    void setUser(const std::string& idText);
    bool RequestStats();
    void storeAchievements();
    // Reads the four unlock words from the settings (into `unlocked`, and into
    // `unlockedAtStart` too when a game starts).
    void loadWords(bool atGameStart);
    // Unlocks during play: sets the bit, starts the popup and keeps the words at once.
    bool unlock(const std::string& id);

    void OnUserStatsReceived(UserStatsReceived_t* answer);
    void OnUserStatsStored(UserStatsStored_t* answer);
    void OnAchievementStored(UserAchievementStored_t* answer);

private:
    void saveWords();

    CCallback<AchievementManager, UserStatsReceived_t> statsReceivedCallback;
    CCallback<AchievementManager, UserStatsStored_t> statsStoredCallback;
    CCallback<AchievementManager, UserAchievementStored_t> achievementStoredCallback;
};
