#pragma once

#include "core/ImageManager.h"
#include "core/TitleScreen.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class AchievementManager;
class Camera;
class CachedTextCollection;
class Font;
class Texture;

// The registry of everything the screens draw and play: pictures by file name, fonts
// and cached-text collections by name, sound samples, and the music channels with
// their software fades. Everything it holds is freed by releaseResources.
class AssetManager {
public:
    // Mixer channels the game keeps track of; audio set-up allocates no more.
    static constexpr int channelCount = 64;

    AssetManager(SDL_Renderer* renderer, int soundEnabled);
    virtual ~AssetManager();

    int totalTextureBytes = 0; // width x height x 4 of every texture loaded; never decreased
    int maxChannelUsed = -1;   // highest mixer channel a sound or music start returned
    std::map<std::string, std::unique_ptr<Texture>> textures;
    std::map<std::string, std::unique_ptr<Font>> fonts;
    std::map<std::string, std::vector<char>> fontFiles; // each font file read once
    std::map<std::string, Mix_Chunk*> sounds;
    std::map<std::string, std::unique_ptr<CachedTextCollection>> cachedTexts;

    std::string musicName; // "" when no theme plays
    int musicChannel = -1;
    std::map<int, std::string> themes;
    // Per mixer channel. Fades count updates, not seconds: a fade of T ms takes T x 0.06 updates.
    double fadeStep[channelCount];      // volume points per update; 0 means no fade
    double channelVolume[channelCount]; // 0..100
    double fadeFloor[channelCount];     // a fade-out stops here instead of halting the channel
    double volumeFactor[channelCount];
    float elapsed[channelCount];        // seconds since the channel was started
    std::string channelSound[channelCount];

    int soundEnabled;
    int musicVolume = 100; // percent
    int sfxVolume = 100;   // percent
    SDL_Renderer* renderer;
    Camera* camera = nullptr;
    AchievementManager* achievements = nullptr; // lives for the whole process
    TitleScreen titleScreen;
    SpriteTable iconSprites;
    SpriteTable achievementSprites;

    // Pictures.
    Texture* getTexture(const std::string& name);
    void loadTexture(const std::string& name);
    // Takes the texture; one offered under a name already registered is freed.
    void registerTexture(const std::string& name, std::unique_ptr<Texture> texture);
    void releaseResources();

    // Sound and music.
    Mix_Chunk* loadSound(const std::string& name);
    // Plays "sfx/" + name; refused when more than maxSame copies started within the
    // last second (maxSame 0 never refuses). False only when the mixer refused it.
    bool playSound(const std::string& name, int loops, int maxSame);
    void fadeInMusic(int theme, int fadeIn, int fadeOut);
    void fadeInTheme(const std::string& name, int fadeIn, int fadeOut);
    void fadeOutMusic(int ms, double target);
    void updateChannelFade(float dt);
    void stopAllSounds();
    void setMusicVolume(int volume);
    void changeMusicVolume(int& value, int delta);
    void changeSfxVolume(int& value, int delta);

    // Fonts and cached texts.
    Font* loadFont(const std::string& key, const std::string& fileName, int size, int outline);
    Font* getFont(const std::string& key);
    Font* findFont(const std::string& fileName, int size, int outline, const std::string& key);
    void freeFont(const std::string& key);
    // False, keeping the first and freeing the new one, when the name is taken.
    bool addCachedTexts(const std::string& name, std::unique_ptr<CachedTextCollection> collection);
    CachedTextCollection* getCachedTexts(const std::string& name);
    // The fonts and text collections every screen relies on, all from "main.ttf".
    void loadStartupFonts(Camera* context);

private:
    void applyMusicLevel(int channel);
    bool readFontFile(const std::string& fileName);
};
