#pragma once

#include <SDL.h>

#include <string>
#include <vector>

// The raw audio check offered when the mixer could not be opened: it opens the audio
// device directly, plays one sample through it and reports every step, so a player
// can tell whether the device works at all.
class AudioTest {
public:
    virtual ~AudioTest();

    std::string report; // the lines so far, one per step
    bool deviceOpen = false;
    std::vector<Uint8> sample; // in the device's format
    size_t played = 0;         // bytes handed to the device; guarded by the audio lock

    // Opens the device, loads the test sound and starts it.
    void start();
    // Closes the device once the sample has been played out.
    void update();
    void close();

private:
    void addLine(const std::string& line);
    bool loadSample(const SDL_AudioSpec& device);
    static void SDLCALL fill(void* test, Uint8* stream, int length);
};
