#include "core/Achievement.h"

#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

namespace {

std::string wordKey(int word)
{
    TRACE();
    return "achievements" + std::to_string(word);
}

} // namespace

AchievementManager::AchievementManager()
    : statsReceivedCallback(this, &AchievementManager::OnUserStatsReceived),
      statsStoredCallback(this, &AchievementManager::OnUserStatsStored),
      achievementStoredCallback(this, &AchievementManager::OnAchievementStored)
{
    TRACE();
    init();
}

AchievementManager::~AchievementManager() = default;

void AchievementManager::init()
{
    TRACE();
    add("HACKER", "Hacker", "achievement unlocked", "HACKER", "modify existing code");
}

void AchievementManager::add(const std::string& id, const std::string& name, const std::string& notice,
                             const std::string& popup, const std::string& requirement)
{
    TRACE();
    Achievement achievement;
    achievement.id = id;
    achievement.sourceName = achievement.name = name;
    achievement.sourceNotice = achievement.notice = notice;
    achievement.sourcePopup = achievement.popup = popup;
    achievement.sourceRequirement = achievement.requirement = requirement;
    achievements.push_back(achievement);
}

void AchievementManager::translateTexts()
{
    TRACE();
    Translator& words = translator();
    for (Achievement& achievement : achievements) {
        achievement.name = words.translate(achievement.sourceName, "achievement");
        achievement.notice = words.translate(achievement.sourceNotice, "");
        achievement.popup = words.translate(achievement.sourcePopup, "achievement unlock popup text");
        achievement.requirement = words.translate(achievement.sourceRequirement, "achievement requirement");
    }
}

Achievement* AchievementManager::getPtr(int index)
{
    TRACE();
    if (index < 0 || index >= int(achievements.size()))
        return nullptr;
    return &achievements[size_t(index)];
}

bool AchievementManager::isOutOfBounds(int word) const
{
    TRACE();
    return word < 0 || word >= wordCount;
}

bool AchievementManager::hasAchievement(const std::string& id, bool atStart)
{
    TRACE();
    for (size_t i = 0; i < achievements.size(); i++) {
        if (achievements[i].id != id)
            continue;
        int word = int(i) / perWord;
        if (isOutOfBounds(word))
            continue;
        uint32_t bit = 1u << (i % perWord);
        return ((atStart ? unlockedAtStart : unlocked)[word] & bit) != 0;
    }
    return false;
}

void AchievementManager::setUser(const std::string& idText)
{
    TRACE();
    gameId = CGameID(SteamUtils()->GetAppID()).ToUint64();
    steamId = idText;
    RequestStats();
}

bool AchievementManager::RequestStats()
{
    TRACE();
    if (!SteamUserStats() || !SteamUser() || !SteamUser()->BLoggedOn())
        return false;
    return SteamUserStats()->RequestCurrentStats();
}

void AchievementManager::loadWords(bool atGameStart)
{
    TRACE();
    Storage& settings = settingsStorage();
    for (int word = 0; word < wordCount; word++) {
        unlocked[word] = uint32_t(settings.getInt(wordKey(word), 0));
        if (atGameStart)
            unlockedAtStart[word] = unlocked[word];
    }
}

void AchievementManager::saveWords()
{
    TRACE();
    Storage& settings = settingsStorage();
    for (int word = 0; word < wordCount; word++)
        settings.setInt(wordKey(word), int(unlocked[word]));
    saveSettings();
}

bool AchievementManager::unlock(const std::string& id)
{
    TRACE();
    for (size_t i = 0; i < achievements.size(); i++) {
        if (achievements[i].id != id || isOutOfBounds(int(i) / perWord))
            continue;
        uint32_t& word = unlocked[i / perWord];
        uint32_t bit = 1u << (i % perWord);
        if (word & bit)
            return false;
        word |= bit;
        achievements[i].popupCounter = 300;
        popupActive = true;
        LOG("Achievement unlocked: " << id);
        // There is no store to keep the unlock for us: keep it in the settings now.
        saveWords();
        return true;
    }
    return false;
}

void AchievementManager::storeAchievements()
{
    TRACE();
    if (!statsReceived) {
        LOG("ERROR: achievement not saved to steam - flag not initialized.");
        return;
    }
    LOG("Saving achievements to Steam...");
    for (const Achievement& achievement : achievements)
        if (hasAchievement(achievement.id, false))
            SteamUserStats()->SetAchievement(achievement.id.c_str());
    if (SteamUserStats()->StoreStats())
        LOG("Achievements saved to Steam.");
    else
        LOG("ERROR: achievements not saved to Steam");
}

void AchievementManager::OnUserStatsReceived(UserStatsReceived_t* answer)
{
    TRACE();
    if (answer->m_nGameID != gameId)
        return;
    if (answer->m_eResult != k_EResultOK) {
        LOG("RequestStats - failed, " << int(answer->m_eResult));
        return;
    }
    LOG("Received stats and achievements from Steam");
    statsReceived = true;

    Storage& settings = settingsStorage();
    std::string storedId = settings.getString("steamID", "");
    if (!storedId.empty() && !steamId.empty() && storedId != steamId) {
        LOG("CLEAR ACHIEVEMENTS: OLD STEAM ID = " << storedId << ", CURRENT = " << steamId);
        for (uint32_t& word : unlocked)
            word = 0;
    }
    bool failed = false;
    for (size_t i = 0; i < achievements.size(); i++) {
        bool achieved = false;
        if (!SteamUserStats()->GetAchievement(achievements[i].id.c_str(), &achieved)) {
            LOG("ERROR: retrieving achievement " << achievements[i].id << " failed!");
            failed = true;
            continue;
        }
        LOG("ACHIEVEMENT: " << achievements[i].id << " = " << (achieved ? 1 : 0));
        if (achieved && !isOutOfBounds(int(i) / perWord))
            unlocked[i / perWord] |= 1u << (i % perWord);
    }
    if (failed)
        return;
    settings.setString("steamID", steamId);
    saveWords();
    LOG("Saved achievements to local storage. SteamID = " << steamId);
}

void AchievementManager::OnUserStatsStored(UserStatsStored_t* answer)
{
    TRACE();
    if (answer->m_nGameID != gameId)
        return;
    if (answer->m_eResult == k_EResultOK)
        LOG("Stored stats for Steam");
    else
        LOG("StatsStored - failed, " << int(answer->m_eResult));
}

void AchievementManager::OnAchievementStored(UserAchievementStored_t* answer)
{
    TRACE();
    if (answer->m_nGameID == gameId)
        LOG("Stored Achievement for Steam");
}
