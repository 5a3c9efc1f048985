#pragma once

#include "core/Storage.h"

// Opens the mixer for a display pass. A counter of unfinished attempts is kept in the
// settings file around the open, so an attempt that crashed the process is known at the
// next start: each retry falls back to another frequency and buffer size, and after six
// audio stays off until the settings file is removed.
// Returns the music volume percent; `channels` receives the mixing channel count
// (0 when no device could be opened) and is left alone when audio is skipped.
int setupAudio(Storage& settings, int& channels);

// The device settings as set-up opens them: "audioChannels" (default 32, at most the
// channels the game tracks), "audioFreq" (default 22050) and "audioBuffer" (default
// 2048); a value below 1 gives the default.
struct AudioDevice {
    int channels;
    int frequency;
    int buffer;
};
AudioDevice storedAudioDevice(const Storage& settings);
