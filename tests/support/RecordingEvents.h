#pragma once

#include "core/World.h"
#include "core/WorldEvents.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Stands in for the game screen: remembers everything the world asked of it.
class RecordingEvents : public WorldEvents {
public:
    std::vector<std::string> sounds;
    std::vector<int> soundLimits;
    std::vector<int> musicFades;
    int armedRecordingChecks = 0;
    int pauseMenuOpens = 0;
    int pauseMenuCloses = 0;
    std::vector<std::pair<int, int>> pauseMenuInputs;
    int levelLoadRequests = 0;
    int codeChanges = 0;
    std::vector<std::pair<int, int>> cellWrites; // x, y
    int taps = 0;

    void playSound(const std::string& name, int limit) override
    {
        sounds.push_back(name);
        soundLimits.push_back(limit);
    }
    void fadeOutMusic(int milliseconds) override { musicFades.push_back(milliseconds); }
    void startArmedRecording() override { armedRecordingChecks++; }
    void openPauseMenu() override { pauseMenuOpens++; }
    void pauseMenuInput(int code, int device) override { pauseMenuInputs.emplace_back(code, device); }
    void closePauseMenu() override { pauseMenuCloses++; }
    void loadLevel() override { levelLoadRequests++; }
    void playerChangedCode() override { codeChanges++; }
    void cellWritten(Realm&, int x, int y) override { cellWrites.emplace_back(x, y); }
    void tapTaken() override { taps++; }

    int count(const std::string& name) const
    {
        int found = 0;
        for (const std::string& sound : sounds)
            found += sound == name;
        return found;
    }
};

// A fresh game on empty memory with the level marked as loaded, so the rules run.
class FreshWorld : public testing::Test {
protected:
    RecordingEvents events;
    std::unique_ptr<World> world = std::make_unique<World>(events);

    void SetUp() override
    {
        world->newGame();
        world->levelLoaded = true;
    }

    // Writes bytes into a page from (x, y) to the right.
    void put(int x, int y, const std::string& bytes, int page = World::mainPageNumber)
    {
        for (size_t i = 0; i < bytes.size(); i++)
            world->page(page).cell(x + int(i), y).value = uint8_t(bytes[i]);
    }
};
