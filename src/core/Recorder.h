#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class AssetManager;
class Camera;
class CachedText;

// A texture as a replay names it: kind 1 a picture file, 2 its frozen variant, 3 its
// grey variant, 4 a text rendered during playback.
struct RecordedTexture {
    int kind;
    std::string name;
    SDL_Texture* texture;
};

// Captures a played game as a stream of drawing and sound commands and plays such a
// stream back. Drawing and sound code goes through the wrappers below, which always
// perform the real operation; a command is appended only while recording.
class Recorder {
public:
    static constexpr int modeRecording = 0;
    static constexpr int modeArmed = 1;
    static constexpr int modeIdle = 2;
    static constexpr int modePlaying = 3;

    Recorder();
    virtual ~Recorder();

    FILE* file = nullptr;
    AssetManager* assets = nullptr; // used during playback
    Camera* camera = nullptr;       // used during playback
    int replayNumberLimit = 0;
    int replaySizeLimit = 2000; // megabytes
    int recordedWidth = 1920;
    int recordedHeight = 1080;
    int scrollX = 0;
    int skipFrames = 0;
    int frameCount = 0;
    int layout = 0;
    int mode = modeIdle;
    std::vector<RecordedTexture> textures;
    std::vector<RecordedTexture> replayTextures;
    std::map<SDL_Texture*, int16_t> textureIndex;
    std::string fileName;
    int nextTextIndex = 0;
    std::vector<std::unique_ptr<CachedText>> replayTexts;
    std::map<SDL_Texture*, int> textIndex;
    std::set<int16_t> missingTextures;
    char nameBuffer[4096] = {};
    unsigned char commandBuffer[4096] = {};
    unsigned char writeCache[65536] = {};
    int cacheFill = 0;
    int chunksWritten = 0;

    void clear(SDL_Renderer* renderer);
    int renderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source, const SDL_Rect* destination);
    void present(SDL_Renderer* renderer);
    void registerTexture(const std::string& name, SDL_Texture* texture, int kind);
    void forgetTexture(SDL_Texture* texture);
    void recordText(CachedText* text, int x, int y, float zoom);
    void forgetText(CachedText* text);
    void recordSound(const std::string& name, int loops);
    void recordMusic(const std::string& name, int fadeIn, int fadeOut);
    void recordFadeOut(int ms, int target);
    void recordStopAll();
    void recordMarker(int code);
    void stop();
};

Recorder& recorder();
