#pragma once

#include "core/Storage.h"

#include <string>

// How much the player has played, kept in the settings beside the achievements:
// "gamesPlayed" counts the new games started, "secondsPlayed" the time the game
// screen has run.
class PlayStatistics {
public:
    // The settings are saved at least this often while the game screen runs.
    static constexpr int saveEverySeconds = 60;
    // A longer frame (the machine stalled) counts as this long.
    static constexpr float longestFrame = 0.25f;

    virtual ~PlayStatistics();

    float fraction = 0;     // play time not yet a whole second
    int unsavedSeconds = 0; // seconds added to the settings since they were last saved

    static void countNewGame(Storage& settings);
    // Adds one frame's play time. True when it is time to save the settings.
    bool addPlayTime(Storage& settings, float seconds);
    // True when seconds were added since the last save; the caller saves them now.
    bool takeUnsaved();
};

// Play time as hours, minutes and seconds: "1:02:03".
std::string playTimeText(int seconds);
