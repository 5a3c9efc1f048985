#include "core/AssetManager.h"

#include "core/CachedTextCollection.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Recorder.h"
#include "core/Texture.h"
#include "core/Trace.h"

AssetManager::AssetManager(SDL_Renderer* renderer, int soundEnabled)
    : soundEnabled(soundEnabled)
    , renderer(renderer)
{
    TRACE();
    titleScreen.reset();
    titleScreen.assets = this;
    themes = {{0, "intro.wav"}, {1, "boss.wav"}, {2, "level.wav"}};
    for (int channel = 0; channel < channelCount; channel++) {
        fadeStep[channel] = 0;
        channelVolume[channel] = 100;
        fadeFloor[channel] = 0;
        volumeFactor[channel] = 1.0;
        elapsed[channel] = 0;
    }
    ImageManager::initIcons(iconSprites);
    ImageManager::initAchievements(achievementSprites);
}

AssetManager::~AssetManager()
{
    TRACE();
    releaseResources();
}

Texture* AssetManager::getTexture(const std::string& name)
{
    TRACE();
    if (name.empty())
        return nullptr;
    auto found = textures.find(name);
    if (found == textures.end()) {
        loadTexture(name);
        found = textures.find(name);
    }
    if (found == textures.end()) {
        LOG("ERROR: Cannot find texture: " << name);
        return nullptr;
    }
    return found->second.get();
}

// A picture that fails to load stays registered without its renderer texture, so the
// file is looked for only once.
void AssetManager::loadTexture(const std::string& name)
{
    TRACE();
    auto texture = std::make_unique<Texture>(name, renderer);
    if (texture->texture) {
        totalTextureBytes += texture->getWidth() * texture->getHeight() * 4;
        if (totalTextureBytes > 360000000)
            LOG("Load: " << name << ", approx total: " << totalTextureBytes / 1024 / 1024 << " MB");
        recorder().registerTexture(name, texture->texture, 1);
    }
    registerTexture(name, std::move(texture));
}

void AssetManager::registerTexture(const std::string& name, std::unique_ptr<Texture> texture)
{
    TRACE();
    textures.try_emplace(name, std::move(texture));
}

void AssetManager::releaseResources()
{
    TRACE();
    textures.clear();
    fonts.clear();
    fontFiles.clear();
    cachedTexts.clear();
    for (auto& sound : sounds)
        Mix_FreeChunk(sound.second);
    sounds.clear();
}
