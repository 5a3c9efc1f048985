#include "core/PlayStatistics.h"

#include "core/Trace.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// A stored count plus more, kept within what the settings can hold; a damaged
// negative count starts again from 0.
void addToCount(Storage& settings, const char* key, int more)
{
    TRACE();
    int stored = std::max(0, settings.getInt(key, 0));
    settings.setInt(key, stored > INT_MAX - more ? INT_MAX : stored + more);
}

} // namespace

PlayStatistics::~PlayStatistics()
{
    TRACE();
}

void PlayStatistics::countNewGame(Storage& settings)
{
    TRACE();
    addToCount(settings, "gamesPlayed", 1);
}

bool PlayStatistics::addPlayTime(Storage& settings, float seconds)
{
    TRACE();
    fraction += std::clamp(seconds, 0.0f, longestFrame);
    if (fraction < 1.0f)
        return false;
    int whole = int(fraction);
    fraction -= float(whole);
    addToCount(settings, "secondsPlayed", whole);
    unsavedSeconds += whole;
    if (unsavedSeconds < saveEverySeconds)
        return false;
    unsavedSeconds = 0;
    return true;
}

bool PlayStatistics::takeUnsaved()
{
    TRACE();
    bool unsaved = unsavedSeconds > 0;
    unsavedSeconds = 0;
    return unsaved;
}

std::string playTimeText(int seconds)
{
    TRACE();
    seconds = std::max(0, seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}
