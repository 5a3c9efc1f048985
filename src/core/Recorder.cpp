#include "core/Recorder.h"

#include "core/CachedText.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/GlyphTable.h"
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

// Whether an ARGB8888 surface has a pixel that is not fully see-through outside its
// top left `width` x `height`.
bool inkBeyond(const SDL_Surface* pixels, int width, int height)
{
    TRACE();
    for (int y = 0; y < pixels->h; y++) {
        const Uint8* bytes = static_cast<const Uint8*>(pixels->pixels) + y * pixels->pitch;
        const Uint32* row = reinterpret_cast<const Uint32*>(bytes);
        for (int x = y < height ? width : 0; x < pixels->w; x++)
            if (row[x] >> 24 != 0)
                return true;
    }
    return false;
}

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
    if (mode != modeRecording || !file)
        return result;
    auto sheet = glyphSheets.find(texture);
    if (sheet != glyphSheets.end()) {
        recordGlyphCopy(sheet->second, texture, source, destination);
        return result;
    }
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

// The copy of one whole cell becomes a copy of its glyph's entry, cut to the cell where
// the sheet cut ink off the glyph, so that the same pixels land in the same places.
void Recorder::recordGlyphCopy(RecordedGlyphSheet& sheet, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* destination)
{
    TRACE();
    int cellWidth = sheet.cellWidth, cellHeight = sheet.cellHeight;
    if (!source || !destination || source->w != cellWidth || source->h != cellHeight || source->x < 0
        || source->y < 0 || source->x % cellWidth != 0 || source->y % cellHeight != 0 || source->x >= 16 * cellWidth
        || source->y >= 16 * cellHeight)
        return;
    RecordedGlyphSheet::Glyph& glyph = sheet.glyphs[source->y / cellHeight * 16 + source->x / cellWidth];
    if (glyph.w == 0)
        return;
    if (glyph.entry < 0) {
        if (textures.size() >= size_t(INT16_MAX)
            || !defineTextLike(ReplayCode::textTexture, sheet.fontFile, sheet.fontSize, 0, CachedText::noWrap,
                colourWhite, 0, glyph.text))
            return;
        glyph.entry = addTextTexture(texture);
    }
    recordModulation(textures[size_t(glyph.entry)], glyph.entry);
    const SDL_Rect& d = *destination;
    if (!glyph.cut) {
        int w = d.w * glyph.w / cellWidth, h = d.h * glyph.h / cellHeight;
        record(false, ReplayCode::copy + 1, {glyph.entry, d.x, d.y, w, h});
        return;
    }
    int w = std::min(glyph.w, cellWidth), h = std::min(glyph.h, cellHeight);
    record(false, ReplayCode::copy, {glyph.entry, 0, 0, w, h, d.x, d.y, d.w * w / cellWidth, d.h * h / cellHeight});
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
    // Turned a whole turn further, the same angle lands a pixel apart in SDL's arithmetic,
    // so it is kept as drawn wherever the file's 16 bits can hold it.
    double scaled = angle * ReplayFormat::angleScale;
    if (std::abs(scaled) > INT16_MAX)
        scaled = std::fmod(angle, 360.0) * ReplayFormat::angleScale;
    int stored = int(scaled);
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

void Recorder::registerGlyphSheet(SDL_Texture* sheet, const Font& font, int cellWidth, int cellHeight,
    const GlyphTable& glyphs)
{
    TRACE();
    RecordedGlyphSheet& recorded = glyphSheets[sheet];
    recorded.fontFile = font.fileName;
    recorded.fontSize = font.size;
    recorded.cellWidth = cellWidth;
    recorded.cellHeight = cellHeight;
    for (int byte = 0; byte < 256; byte++) {
        RecordedGlyphSheet::Glyph& glyph = recorded.glyphs[byte];
        glyph = RecordedGlyphSheet::Glyph{glyphs.glyph(byte)};
        if (glyph.text == " " || !font.ttf)
            continue;
        // Rendered as the sheet rendered it, to learn its size and whether the cell
        // cut any ink off.
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(font.ttf, glyph.text.c_str(), colourWhite);
        SDL_Surface* pixels = rendered ? SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
        if (pixels) {
            glyph.w = pixels->w;
            glyph.h = pixels->h;
            glyph.cut = inkBeyond(pixels, cellWidth, cellHeight);
        }
        SDL_FreeSurface(pixels);
        SDL_FreeSurface(rendered);
    }
}

void Recorder::forgetTexture(SDL_Texture* texture)
{
    TRACE();
    auto sheet = glyphSheets.find(texture);
    if (sheet != glyphSheets.end()) {
        for (const RecordedGlyphSheet::Glyph& glyph : sheet->second.glyphs)
            if (glyph.entry >= 0)
                textures[size_t(glyph.entry)].texture = nullptr;
        glyphSheets.erase(sheet);
    }
    auto found = textureIndex.find(texture);
    if (found == textureIndex.end())
        return;
    textures[size_t(found->second)].texture = nullptr;
    textureIndex.erase(found);
}

// The player draws a text untinted at the zoom its byte gives. A text tinted where it
// is drawn (a label coloured by the screen, a fading line) or zoomed between two steps
// of the byte (a menu row's pop) is copied as a picture instead, to the very pixels.
void Recorder::recordText(CachedText* text, const SDL_Rect& destination, int x, int y, float zoom)
{
    TRACE();
    if (mode != modeRecording || !file || !text->texture)
        return;
    Uint8 alpha = 255, r = 255, g = 255, b = 255;
    SDL_GetTextureAlphaMod(text->texture, &alpha);
    SDL_GetTextureColorMod(text->texture, &r, &g, &b);
    int zoomByte = int(std::clamp(zoom * 30, 0.0f, 255.0f));
    SDL_Rect replayed = text->zoomedPlace(x, y, float(zoomByte) / 30.0f);
    if ((alpha & r & g & b) != 255 || !SDL_RectEquals(&replayed, &destination)) {
        recordTextAsPicture(text, destination);
        return;
    }
    auto found = textIndex.find(text->texture);
    if (found == textIndex.end() && !defineText(text))
        return;
    record(false, ReplayCode::drawText, {textIndex[text->texture], x, y, zoomByte});
}

// A text is described once by its font, colour and string. A string too long for one
// command is shortened, never split inside a character.
bool Recorder::defineTextLike(int code, const std::string& fontFile, int size, int outline, int wrap,
    SDL_Color colour, int shadow, const std::string& string)
{
    TRACE();
    size_t fixed = size_t(ReplayFormat::textDefinitionSize) + fontFile.size();
    if (fixed >= sizeof commandBuffer)
        return false;
    std::string_view cut = cutAtCharacter(string, sizeof commandBuffer - fixed);
    record(false, code, {size, outline, wrap, colour.r, colour.g, colour.b, colour.a, shadow}, {fontFile, cut});
    return true;
}

bool Recorder::defineText(CachedText* text)
{
    TRACE();
    if (!text->font || nextTextIndex > INT16_MAX
        || !defineTextLike(ReplayCode::defineText, text->font->fileName, text->font->size, text->font->outline,
            text->wrapWidth, text->colour, text->shadowOffset, text->text))
        return false;
    textIndex[text->texture] = nextTextIndex++;
    return true;
}

int Recorder::addTextTexture(SDL_Texture* texture)
{
    TRACE();
    textures.push_back(RecordedTexture{4, "LF", texture});
    return int(textures.size() - 1);
}

// The picture is a texture entry that the player renders from the text's definition.
void Recorder::recordTextAsPicture(CachedText* text, const SDL_Rect& destination)
{
    TRACE();
    auto found = textureIndex.find(text->texture);
    int index = found != textureIndex.end() ? found->second : -1;
    if (index < 0) {
        if (!text->font || textures.size() >= size_t(INT16_MAX)
            || !defineTextLike(ReplayCode::textTexture, text->font->fileName, text->font->size, text->font->outline,
                text->wrapWidth, text->colour, text->shadowOffset, text->text))
            return;
        index = addTextTexture(text->texture);
        textureIndex[text->texture] = int16_t(index);
    }
    recordModulation(textures[size_t(index)], index);
    const SDL_Rect& d = destination;
    record(false, ReplayCode::copy + 1, {index, d.x, d.y, d.w, d.h});
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
    // Texts and glyphs (kind 4) are defined again at their first draw.
    std::vector<RecordedTexture> loaded;
    for (const RecordedTexture& entry : textures)
        if (entry.texture && entry.kind != 4)
            loaded.push_back(entry);
    for (auto& sheet : glyphSheets)
        for (RecordedGlyphSheet::Glyph& glyph : sheet.second.glyphs)
            glyph.entry = -1;
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
