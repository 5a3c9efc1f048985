#include "core/Recorder.h"

#include "core/CachedText.h"
#include "core/Trace.h"

Recorder& recorder()
{
    TRACE();
    static Recorder instance;
    return instance;
}

Recorder::Recorder()
{
    TRACE();
}

Recorder::~Recorder()
{
    TRACE();
    if (file)
        std::fclose(file);
}

void Recorder::clear(SDL_Renderer* renderer)
{
    TRACE();
    SDL_RenderClear(renderer);
}

int Recorder::renderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* destination)
{
    TRACE();
    return SDL_RenderCopy(renderer, texture, source, destination);
}

void Recorder::present(SDL_Renderer* renderer)
{
    TRACE();
    SDL_RenderPresent(renderer);
}

// Every texture is known by its file, so a recording started later can name the
// textures that are already loaded.
void Recorder::registerTexture(const std::string& name, SDL_Texture* texture, int kind)
{
    TRACE();
    if (name.size() >= 4001)
        return;
    textures.push_back(RecordedTexture{kind, name, texture});
    textureIndex[texture] = int16_t(textures.size() - 1);
}

void Recorder::forgetTexture(SDL_Texture* texture)
{
    TRACE();
    auto found = textureIndex.find(texture);
    if (found == textureIndex.end())
        return;
    textures[size_t(found->second)].texture = nullptr;
    textureIndex.erase(found);
}

// The reports below describe a command for the replay stream. Nothing arms the
// recorder in this game, so they never find it recording and add nothing.
void Recorder::recordText(CachedText* text, int x, int y, float zoom)
{
    TRACE();
}

void Recorder::forgetText(CachedText* text)
{
    TRACE();
    if (!text->texture)
        return;
    textIndex.erase(text->texture);
    forgetTexture(text->texture);
}

void Recorder::recordSound(const std::string& name, int loops)
{
    TRACE();
}

void Recorder::recordMusic(const std::string& name, int fadeIn, int fadeOut)
{
    TRACE();
}

void Recorder::recordFadeOut(int ms, int target)
{
    TRACE();
}

void Recorder::recordStopAll()
{
    TRACE();
}

void Recorder::recordMarker(int code)
{
    TRACE();
}

void Recorder::stop()
{
    TRACE();
    mode = modeIdle;
    replayTexts.clear();
    for (RecordedTexture& entry : replayTextures) {
        if (!entry.texture)
            continue;
        if (entry.kind == 4) {
            SDL_DestroyTexture(entry.texture);
        } else {
            SDL_SetTextureAlphaMod(entry.texture, 255);
            SDL_SetTextureColorMod(entry.texture, 255, 255, 255);
        }
    }
    replayTextures.clear();
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}
