#include "TestSupport.h"

#include "core/Game.h"
#include "core/Settings.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Saving the settings and the game when things go wrong: the game killed at random
// moments while it saves (after each kill a new process starts as the game does, and
// always finds a whole file, never older than what the start before it found), and a
// disk that is full.

namespace {

const int settingsEntries = 1500;

// Every entry of the settings says which save wrote it.
void writeSettingsVersion(Storage& settings, int version)
{
    for (int entry = 0; entry < settingsEntries; entry++)
        settings.setString("entry" + std::to_string(entry), std::to_string(version) + " of the settings");
}

// The one version all entries hold; -1 when they are not one whole save.
int settingsVersion(const Storage& settings)
{
    int version = std::atoi(settings.getString("entry0", "-1").c_str());
    std::string expected = std::to_string(version) + " of the settings";
    for (int entry = 0; entry < settingsEntries; entry++) {
        if (settings.getString("entry" + std::to_string(entry), "") != expected)
            return -1;
    }
    return version;
}

// A game whose every field and cell says which save wrote it (versions below 65536).
void writeGameVersion(World& world, int version)
{
    world.playerX = version % 256;
    world.playerY = version / 256;
    for (Cell& cell : world.mainPage.cells)
        cell.value = uint8_t(version % 251);
    for (Cell& cell : world.secondPage.cells)
        cell.value = uint8_t(version % 241);
}

int gameVersion(World& world)
{
    int version = world.playerY * 256 + world.playerX;
    for (const Cell& cell : world.mainPage.cells)
        if (cell.value != version % 251)
            return -1;
    for (const Cell& cell : world.secondPage.cells)
        if (cell.value != version % 241)
            return -1;
    return version;
}

// "missing", "whole" or "cut": what a kill left at `path`.
std::string fileState(const std::string& path)
{
    if (!fileExists(path))
        return "missing";
    Storage storage;
    return storage.load(path, false) ? "whole" : "cut";
}

// Runs `saver` (which never returns) in a child process and kills it after a random
// moment of up to `longest` microseconds.
void killWhileSaving(const std::function<void()>& saver, std::mt19937& random, int longest)
{
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        saver();
        _exit(0);
    }
    usleep(useconds_t(std::uniform_int_distribution<int>(0, longest)(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

// A new process starts as the game does and reports the version it found, or -1.
int versionFoundByANewStart(const std::function<int()>& start)
{
    std::string found = testUserRoot() + "/found";
    std::remove(found.c_str());
    pid_t child = fork();
    if (child == 0) {
        writeFileBytes(found, std::to_string(start()));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::string text = readFileBytes(found);
    return text.empty() ? -2 : std::stoi(text);
}

// Writes that would make a file longer than `bytes` fail while this object lives, as
// on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous;
};

class KillWhileSaving : public testing::Test {
protected:
    std::mt19937 random{20240601};
    std::map<std::string, int> statesSeen;
    int killPoints = 0;
    int filesChecked = 0;

    // Kill points 1 to `points`: `save` runs over and over, from a version of its own
    // for each point, until it is killed at a random moment within the time version 0
    // took to save; then `start` must find a whole file no older than the one found
    // after the kill before. `describe` names what the kill left on the disk.
    void killAtRandomMoments(int points, const std::function<bool(int)>& save,
        const std::function<std::string()>& describe, const std::function<int()>& start)
    {
        auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(save(0));
        int longest = int(std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - started).count());
        int lastFound = 0;
        for (int point = 1; point <= points; point++) {
            killWhileSaving(
                [&] {
                    for (int version = point * 1000;; version++)
                        save(version);
                },
                random, longest);
            statesSeen[describe()]++;
            int found = versionFoundByANewStart(start);
            killPoints++;
            ASSERT_GE(found, lastFound) << "kill point " << point << ": no whole file, or an older one than before";
            filesChecked++;
            lastFound = found;
        }
    }

    void TearDown() override
    {
        std::cout << "Kill points: " << killPoints << ", whole files found by the next start: " << filesChecked
                  << "\n";
        for (const auto& [state, count] : statesSeen)
            std::cout << "  " << count << " x " << state << "\n";
    }
};

} // namespace

TEST_F(KillWhileSaving, SettingsComeBackWholeFromTheFileOrItsTemporaryTwin)
{
    const std::string path = prefPath() + "settings.storage";
    killAtRandomMoments(
        160,
        [](int version) {
            writeSettingsVersion(settingsStorage(), version);
            return saveSettings();
        },
        [&] { return "settings: file " + fileState(path) + ", twin " + fileState(path + ".temp"); },
        [] {
            forgetSettings();
            return settingsVersion(loadAndSetupSettings());
        });
}

TEST_F(KillWhileSaving, TheSavedGameComesBackWholeAsThePreviousOrTheNewSave)
{
    const std::string path = prefPath() + "savegame.storage";
    Game game;
    game.world.newGame();
    killAtRandomMoments(
        40,
        [&](int version) {
            writeGameVersion(game.world, version);
            return game.saveGame(path);
        },
        [&] { return "saved game: file " + fileState(path) + ", partial " + fileState(path + ".partial"); },
        [&] {
            Game continued;
            continued.world.newGame();
            return continued.loadGame(path) ? gameVersion(continued.world) : -1;
        });
}

TEST(FullDisk, FailedSavesAreLoggedTheFilesBeforeStayAndTheGameGoesOn)
{
    const std::string settingsPath = prefPath() + "settings.storage";
    const std::string gamePath = prefPath() + "savegame.storage";
    forgetSettings();
    loadAndSetupSettings();
    Game game;
    game.world.newGame();
    writeGameVersion(game.world, 1);
    ASSERT_TRUE(game.saveGame(gamePath));
    const std::string settingsBefore = readFileBytes(settingsPath);
    const std::string gameBefore = readFileBytes(gamePath);
    {
        FileSizeLimit full(200);
        settingsStorage().setString("windowW", "1920");
        EXPECT_FALSE(saveSettings());
        writeGameVersion(game.world, 2);
        EXPECT_FALSE(game.saveGame(gamePath));
    }
    EXPECT_EQ(logLinesContaining("ERROR: Failed saving data to: " + settingsPath + ".temp"), 1);
    EXPECT_EQ(logLinesContaining("ERROR: " + gamePath + " was not replaced; the previous file is kept"), 1);
    EXPECT_EQ(readFileBytes(settingsPath), settingsBefore);
    EXPECT_EQ(readFileBytes(gamePath), gameBefore);
    EXPECT_FALSE(fileExists(settingsPath + ".temp"));
    EXPECT_FALSE(fileExists(gamePath + ".partial"));

    // With room again, the next saves go through.
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(savedSetting("windowW"), "1920");
    EXPECT_TRUE(game.saveGame(gamePath));
    Game continued;
    continued.world.newGame();
    ASSERT_TRUE(continued.loadGame(gamePath));
    EXPECT_EQ(gameVersion(continued.world), 2);
}
