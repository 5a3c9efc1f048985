#include "core/AudioTest.h"

#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const testSound = "audio/sfx/ach1.wav";

} // namespace

AudioTest::~AudioTest()
{
    TRACE();
    close();
}

void AudioTest::addLine(const std::string& line)
{
    TRACE();
    LOG(line);
    report += report.empty() ? line : "\n" + line;
}

void AudioTest::start()
{
    TRACE();
    close();
    report.clear();
    sample.clear();
    played = 0;
    addLine("Testing raw audio access..");
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 2048;
    wanted.callback = fill;
    wanted.userdata = this;
    // Asked for no obtained format, SDL converts to the wanted one itself.
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        addLine(std::string("Cannot open audio device: ") + SDL_GetError());
        return;
    }
    deviceOpen = true;
    addLine("Audio device opened successfully!");
    addLine("Loading test sound...");
    if (!loadSample(wanted)) {
        addLine(std::string("Cannot load wav file: ") + testSound);
        return;
    }
    addLine("Sound file opened!");
    SDL_PauseAudio(0);
    addLine("Waiting for playback to complete...");
}

bool AudioTest::loadSample(const SDL_AudioSpec& device)
{
    TRACE();
    SDL_AudioSpec format;
    Uint8* bytes = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromFile(dataPath(testSound).c_str(), "rb"), 1, &format, &bytes, &length))
        return false;
    SDL_AudioCVT conversion;
    int needed = SDL_BuildAudioCVT(&conversion, format.format, format.channels, format.freq, device.format,
        device.channels, device.freq);
    bool loaded = needed >= 0;
    if (needed > 0) {
        std::vector<Uint8> buffer(size_t(length) * size_t(conversion.len_mult));
        std::memcpy(buffer.data(), bytes, length);
        conversion.buf = buffer.data();
        conversion.len = int(length);
        loaded = SDL_ConvertAudio(&conversion) == 0;
        if (loaded)
            sample.assign(buffer.begin(), buffer.begin() + conversion.len_cvt);
    } else if (needed == 0) {
        sample.assign(bytes, bytes + length);
    }
    SDL_FreeWAV(bytes);
    return loaded;
}

void AudioTest::update()
{
    TRACE();
    if (!deviceOpen)
        return;
    SDL_LockAudio();
    bool playedOut = played >= sample.size();
    SDL_UnlockAudio();
    if (!playedOut)
        return;
    addLine("Closing audio device...");
    close();
    addLine("Audio device closed!");
}

void AudioTest::close()
{
    TRACE();
    if (!deviceOpen)
        return;
    SDL_CloseAudio();
    deviceOpen = false;
}

// Runs on SDL's audio thread, so it leaves the trace alone: the trace belongs to the
// main thread, and a crash report is only sound with one writer.
void SDLCALL AudioTest::fill(void* test, Uint8* stream, int length)
{
    auto* self = static_cast<AudioTest*>(test);
    size_t count = std::min(size_t(length), self->sample.size() - self->played);
    if (count > 0)
        std::memcpy(stream, self->sample.data() + self->played, count);
    std::memset(stream + count, 0, size_t(length) - count);
    self->played += count;
}
