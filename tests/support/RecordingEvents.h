#pragma once

#include "core/World.h"
#include "core/WorldEvents.h"

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
