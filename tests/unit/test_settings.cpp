#include "TestSupport.h"
#include "core/Settings.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(Settings, FreshFileHoldsExactlyTheDefaults)
{
    Storage& settings = loadAndSetupSettings();
    std::string expected = storageEntry("fullscreen", "1") + storageEntry("fullscreenModified", "0") + storageEntry("keyATTACK", "a")
        + storageEntry("keyDOWN", "arrow down") + storageEntry("keyITEM", "b") + storageEntry("keyLEFT", "arrow left")
        + storageEntry("keyPAUSE", "escape") + storageEntry("keyRIGHT", "arrow right") + storageEntry("keyUP", "arrow up")
        + storageEntry("musicVolume2", "100") + storageEntry("sfxVolume2", "100") + storageEntry("showFPS2", "0")
        + storageEntry("windowBorder", "0") + storageEntry("windowH", "720") + storageEntry("windowW", "1280") + "c";
    EXPECT_EQ(readFileBytes(prefPath() + "settings.storage"), expected);
    EXPECT_FALSE(fileExists(prefPath() + "settings.storage.temp"));
    // vsync is forced in memory and reaches the file with the next save.
    EXPECT_EQ(settings.getString("vsync", ""), "1");
}

TEST(Settings, FixUpsOnLoad)
{
    writeFileBytes(prefPath() + "settings.storage", storageEntry("vsync", "0") + storageEntry("windowW", "700") + "c");
    forgetSettings();
    Storage& settings = loadAndSetupSettings();
    EXPECT_EQ(settings.getString("vsync", ""), "1");
    EXPECT_EQ(settings.getString("keyITEM", ""), "b");
    EXPECT_EQ(settings.getInt("windowW", 0), 700);
    EXPECT_FALSE(settings.has("keyLEFT"));
}

TEST(Settings, ADeeplyNestedFileIsRefusedAndTheGameStartsOnTheDefaults)
{
    // 100 000 records nested one in the other once overflowed the stack at every start.
    std::string opening;
    for (int level = 0; level < 100000; level++)
        opening += "\x02" + storageText("");
    writeFileBytes(prefPath() + "settings.storage", opening + std::string(100001, 'c'));
    forgetSettings();
    Storage& settings = loadAndSetupSettings();
    EXPECT_EQ(logLinesContaining("ERROR: Storage records nested deeper than 64 levels"), 1);
    EXPECT_EQ(settings.getInt("windowW", 0), 1280);
    EXPECT_EQ(savedSetting("windowW"), "1280");
}

TEST(Settings, ALanguageFromTheCommandLineComesWithAFirstStartsDefaults)
{
    settingsStorage().strings.clear();
    settingsStorage().objects.clear();
    storeLanguage("de");
    EXPECT_EQ(savedSetting("lang"), "de");
    EXPECT_EQ(savedSetting("fullscreen"), "1");
    EXPECT_EQ(savedSetting("keyPAUSE"), "escape");
}

TEST(SettingsTwin, CompleteTwinWinsAndIsRemoved)
{
    std::string real = testUserRoot() + "/twin1.storage";
    writeFileBytes(real, storageEntry("source", "real") + storageEntry("onlyReal", "1") + "c");
    writeFileBytes(real + ".temp", storageEntry("source", "twin") + "c");
    Storage storage;
    loadWithTwinRecovery(storage, real);
    EXPECT_EQ(storage.getString("source", ""), "twin");
    EXPECT_FALSE(storage.has("onlyReal"));
    EXPECT_FALSE(fileExists(real + ".temp"));
    Storage reread;
    ASSERT_TRUE(reread.load(real, true));
    EXPECT_EQ(reread.getString("source", ""), "twin");
}

TEST(SettingsTwin, TruncatedTwinLeavesTheRealFileInCharge)
{
    std::string real = testUserRoot() + "/twin2.storage";
    writeFileBytes(real, storageEntry("source", "real") + "c");
    writeFileBytes(real + ".temp", storageEntry("partial", "1") + storageEntry("source", "twi"));
    Storage storage;
    loadWithTwinRecovery(storage, real);
    EXPECT_EQ(storage.getString("source", ""), "real");
    EXPECT_EQ(storage.getString("partial", ""), "1");
    EXPECT_TRUE(fileExists(real + ".temp"));

    ASSERT_TRUE(saveWithTwin(storage, real));
    EXPECT_FALSE(fileExists(real + ".temp"));
}

TEST(SettingsTwin, UnwritableTwinReportsFailureAndKeepsTheFile)
{
    // A folder standing where the twin goes cannot be written, even by root.
    std::string real = testUserRoot() + "/s.storage";
    writeFileBytes(real, storageEntry("a", "1") + "c");
    ASSERT_EQ(mkdir((real + ".temp").c_str(), 0755), 0);
    Storage storage;
    storage.setString("a", "2");
    EXPECT_FALSE(saveWithTwin(storage, real));
    EXPECT_EQ(readFileBytes(real), storageEntry("a", "1") + "c");

    // With the file itself in the way, the twin keeps the new settings for the next start.
    std::string blocked = testUserRoot() + "/blocked.storage";
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    EXPECT_FALSE(saveWithTwin(storage, blocked));
    EXPECT_EQ(readFileBytes(blocked + ".temp"), storageEntry("a", "2") + "c");
}

TEST(UserFiles, ReplayListingSortsByLabel)
{
    writeFileBytes(replayPath(7), "2026-01-01 10:00:00rest");
    writeFileBytes(replayPath(2), "2026-03-01 10:00:00rest");
    writeFileBytes(replayPath(4), "short");
    auto replays = replayListing();
    ASSERT_EQ(replays.size(), 3u);
    EXPECT_EQ(replays[0].first, "");
    EXPECT_EQ(replays[0].second, replayPath(4));
    EXPECT_EQ(replays[1].second, replayPath(7));
    EXPECT_EQ(replays[2].second, replayPath(2));
}

TEST(UserFiles, FoldersEndInASeparatorAndUrlsAreEscaped)
{
    EXPECT_EQ(prefPath(), testUserRoot() + "/Orvando/Vantrel/");
    std::string resources = dataPath("");
    EXPECT_EQ(resources.substr(resources.size() - 31), "Vantrel.app/Contents/Resources/");
    EXPECT_EQ(fileUrl("/home/a b/\"x\";$(rm)"), "file:///home/a%20b/%22x%22%3B%24%28rm%29");
}
