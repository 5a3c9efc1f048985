#include "core/Recorder.h"

#include "core/CachedText.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>

// The recording side: the wrappers that append commands, the write cache, and the
// start and end of a recording.

namespace {

constexpr int chunksPerMegabyte = 16;

} // namespace

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
    if (!file)
        return;
    if (fileIsOpenForWriting() && cacheFill > 0)
        std::fwrite(writeCache, size_t(cacheFill), 1, file);
    std::fclose(file);
}

bool Recorder::fileIsOpenForWriting() const
{
    TRACE();
    return file && (mode == modeRecording || mode == modeArmed);
}

void Recorder::record(bool evenWhenArmed, int code, std::initializer_list<int> values,
    std::initializer_list<std::string_view> strings)
{
    TRACE();
    if (!file || !(mode == modeRecording || (evenWhenArmed && mode == modeArmed)))
        return;
    int length = encodeReplayCommand(commandBuffer, int(sizeof commandBuffer), code, values, strings);
    if (length > 0)
        append(commandBuffer, length);
}

// The file grows in blocks of just under 64 KiB; sixteen of them count as a megabyte
// against the size limit.
void Recorder::append(const unsigned char* bytes, int count)
{
    TRACE();
    if (cacheFill + count >= int(sizeof writeCache)) {
        size_t written = std::fwrite(writeCache, size_t(cacheFill), 1, file);
        cacheFill = 0;
        if (written != 1) {
            LOG("ERROR: fwrite failed. Wrote " << written << " objects.");
            stop();
            return;
        }
        chunksWritten++;
        if (chunksWritten / chunksPerMegabyte >= replaySizeLimit) {
            LOG("WARNING: recorder reached file size limit. Recording stopped.");
            stop();
            return;
        }
    }
    std::memcpy(writeCache + cacheFill, bytes, size_t(count));
    cacheFill += count;
}

void Recorder::clear(SDL_Renderer* renderer)
{
    TRACE();
    SDL_RenderClear(renderer);
    record(false, ReplayCode::clearBlack, {});
}

// Only pictures the recorder knows by name can be replayed; a copy of any other
// texture is drawn and not recorded.
int Recorder::renderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* destination)
{
    TRACE();
    int result = SDL_RenderCopy(renderer, texture, source, destination);
    int index = recordedIndex(texture);
    if (index < 0)
        return result;
    int code = ReplayCode::copy + (source ? 0 : 1) + (destination ? 0 : 2);
    if (source && destination) {
        record(false, code,
            {index, source->x, source->y, source->w, source->h, destination->x, destination->y, destination->w,
                destination->h});
    } else if (source || destination) {
        const SDL_Rect& rect = source ? *source : *destination;
        record(false, code, {index, rect.x, rect.y, rect.w, rect.h});
    } else {
        record(false, code, {index});
    }
    return result;
}

int Recorder::renderCopyEx(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* destination, double angle, const SDL_Point* centre, SDL_RendererFlip flip)
{
    TRACE();
    int result = SDL_RenderCopyEx(renderer, texture, source, destination, angle, centre, flip);
    int index = recordedIndex(texture);
    if (index < 0 || !destination)
        return result;
    const SDL_Rect& d = *destination;
    if (angle == 0 && !centre) {
        int code = ReplayCode::copyFlipped + (source ? 0 : 1);
        if (source)
            record(false, code, {index, flip, source->x, source->y, source->w, source->h, d.x, d.y, d.w, d.h});
        else
            record(false, code, {index, flip, d.x, d.y, d.w, d.h});
        return result;
    }
    SDL_Point turn = centre ? *centre : SDL_Point{d.w / 2, d.h / 2};
    int stored = int(std::fmod(angle, 360.0) * ReplayFormat::angleScale);
    int code = ReplayCode::copyRotated + (source ? 0 : 1);
    if (source)
        record(false, code,
            {index, flip, source->x, source->y, source->w, source->h, d.x, d.y, d.w, d.h, turn.x, turn.y, stored});
    else
        record(false, code, {index, flip, d.x, d.y, d.w, d.h, turn.x, turn.y, stored});
    return result;
}

int Recorder::recordedIndex(SDL_Texture* texture)
{
    TRACE();
    if (mode != modeRecording || !file)
        return -1;
    auto found = textureIndex.find(texture);
    if (found == textureIndex.end())
        return -1;
    int index = found->second;
    recordModulation(textures[size_t(index)], index);
    return index;
}

// Tints and transparency are set on the texture by whoever draws it: the copy tells
// the recording when they differ from what it was last told.
void Recorder::recordModulation(RecordedTexture& entry, int index)
{
    TRACE();
    Uint8 alpha = 255, r = 255, g = 255, b = 255;
    SDL_GetTextureAlphaMod(entry.texture, &alpha);
    SDL_GetTextureColorMod(entry.texture, &r, &g, &b);
    if (alpha != entry.alpha) {
        record(false, ReplayCode::alphaMod, {index, alpha});
        entry.alpha = alpha;
    }
    int colour = r << 16 | g << 8 | b;
    if (colour != entry.colour) {
        record(false, ReplayCode::colourMod, {index, r, g, b});
        entry.colour = colour;
    }
}

void Recorder::present(SDL_Renderer* renderer)
{
    TRACE();
    SDL_RenderPresent(renderer);
    if (mode == modeRecording && file)
        frameCount++;
    record(false, ReplayCode::endOfFrame, {});
}

// Every texture is known by its file, so a recording started later can name the
// textures that are already loaded. A texture loaded while the recording is armed is
// defined at once: its index must mean the same to the player.
void Recorder::registerTexture(const std::string& name, SDL_Texture* texture, int kind)
{
    TRACE();
    if (name.size() > longestTextureName || textures.size() >= size_t(INT16_MAX))
        return;
    textures.push_back(RecordedTexture{kind, name, texture});
    int index = int(textures.size() - 1);
    textureIndex[texture] = int16_t(index);
    defineTexture(index);
}

void Recorder::defineTexture(int index)
{
    TRACE();
    const RecordedTexture& entry = textures[size_t(index)];
    record(true, ReplayCode::defineTexture, {entry.kind}, {entry.name});
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

void Recorder::recordText(CachedText* text, int x, int y, float zoom)
{
    TRACE();
    if (mode != modeRecording || !file || !text->texture)
        return;
    auto found = textIndex.find(text->texture);
    if (found == textIndex.end() && !defineText(text))
        return;
    int index = textIndex[text->texture];
    int zoomByte = int(std::clamp(zoom * 30, 0.0f, 255.0f));
    record(false, ReplayCode::drawText, {index, x, y, zoomByte});
}

// A text is described once by its font, colour and string. A string too long for one
// command is shortened, never split inside a character.
bool Recorder::defineText(CachedText* text)
{
    TRACE();
    if (!text->font || nextTextIndex > INT16_MAX)
        return false;
    const std::string& fontFile = text->font->fileName;
    size_t fixed = size_t(ReplayFormat::textDefinitionSize) + fontFile.size();
    if (fixed >= sizeof commandBuffer)
        return false;
    std::string_view string = cutAtCharacter(text->text, sizeof commandBuffer - fixed);
    const SDL_Color& colour = text->colour;
    record(false, ReplayCode::defineText,
        {text->font->size, text->font->outline, text->wrapWidth, colour.r, colour.g, colour.b, colour.a,
            text->shadowOffset},
        {fontFile, string});
    textIndex[text->texture] = nextTextIndex++;
    return true;
}

void Recorder::forgetText(CachedText* text)
{
    TRACE();
    if (!text->texture)
        return;
    auto found = textIndex.find(text->texture);
    if (found != textIndex.end()) {
        record(false, ReplayCode::forgetText, {found->second});
        textIndex.erase(found);
    }
    forgetTexture(text->texture);
}

void Recorder::recordSound(const std::string& name, int loops)
{
    TRACE();
    record(false, ReplayCode::sound, {loops}, {name});
}

void Recorder::recordMusic(const std::string& name, int fadeIn, int fadeOut)
{
    TRACE();
    record(false, ReplayCode::music, {fadeIn, fadeOut}, {name});
}

void Recorder::recordFadeOut(int ms, int target)
{
    TRACE();
    record(false, ReplayCode::musicFade, {ms, target});
}

void Recorder::recordStopAll()
{
    TRACE();
    record(false, ReplayCode::stopSounds, {});
}

// Only the one-byte commands (the layouts) can be recorded as markers.
void Recorder::recordMarker(int code)
{
    TRACE();
    record(false, code, {});
}

void Recorder::stop()
{
    TRACE();
    bool writing = fileIsOpenForWriting();
    mode = modeIdle;
    // The last seconds of a recording are still in the cache.
    if (writing && cacheFill > 0) {
        size_t written = std::fwrite(writeCache, size_t(cacheFill), 1, file);
        if (written != 1)
            LOG("ERROR: fwrite failed. Wrote " << written << " objects.");
    }
    cacheFill = 0;
    releasePlayback();
    if (!file)
        return;
    int closed = std::fclose(file);
    file = nullptr;
    if (writing && closed != 0)
        LOG("ERROR: Cannot finish the replay file " << fileName << ": " << std::strerror(errno));
    else if (writing)
        LOG("Replay recorded: " << fileName << ", " << frameCount << " frames");
}

void Recorder::releasePlayback()
{
    TRACE();
    replayTexts.clear();
    replayTextPixels = 0;
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
}

std::string Recorder::timeLabel()
{
    TRACE();
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool Recorder::startRecording(const std::string& label, int width, int height)
{
    TRACE();
    stop();
    // The slot after the newest replay, so that the oldest is the one overwritten.
    auto replays = replayListing();
    int slot = 1;
    if (!replays.empty()) {
        const std::string& newest = replays.back().second;
        slot = (newest[newest.size() - std::strlen("N.replay")] - '0') % 9 + 1;
    }
    std::string path = prefPath() + "lastgame" + std::to_string(slot) + ".replay";
    file = std::fopen(path.c_str(), "wb");
    if (!file) {
        LOG("ERROR: Cannot open/create replay file for writing. File: " << path);
        return false;
    }
    fileName = path;
    mode = modeArmed;
    cacheFill = 0;
    chunksWritten = 0;
    frameCount = 0;
    nextTextIndex = 0;
    textIndex.clear();

    std::string fixedLabel = label;
    fixedLabel.resize(ReplayFormat::labelSize, ' ');
    unsigned char header[ReplayFormat::headerSize];
    std::memcpy(header, fixedLabel.data(), ReplayFormat::labelSize);
    storeNumber(header + ReplayFormat::labelSize, ReplayFormat::version);
    storeNumber(header + ReplayFormat::labelSize + 2, width);
    storeNumber(header + ReplayFormat::labelSize + 4, height);
    append(header, ReplayFormat::headerSize);

    // What is already loaded gets new indexes, defined before anything draws with them.
    std::vector<RecordedTexture> loaded;
    for (const RecordedTexture& entry : textures)
        if (entry.texture)
            loaded.push_back(entry);
    textures.clear();
    textureIndex.clear();
    for (const RecordedTexture& entry : loaded)
        registerTexture(entry.name, entry.texture, entry.kind);

    LOG("Recording armed: " << path << " (" << width << " x " << height << ")");
    deleteOldReplays(path);
    return true;
}

// Keeps the newest replays up to the limit, the one just started among them.
void Recorder::deleteOldReplays(const std::string& newest)
{
    TRACE();
    if (replayNumberLimit < 1 || replayNumberLimit > 9)
        return;
    std::vector<std::string> older;
    for (const auto& replay : replayListing())
        if (replay.second != newest)
            older.push_back(replay.second);
    int surplus = int(older.size()) - (replayNumberLimit - 1);
    for (int i = 0; i < surplus; i++) {
        std::remove(older[size_t(i)].c_str());
        LOG("Deleted old replay: " << older[size_t(i)]);
    }
}
