#include "core/Recorder.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>
#include <utf8.h>

#include <algorithm>
#include <cmath>

// The playing side: opening a replay and executing its commands frame by frame. A
// replay can come from anywhere, so every value is checked before it is used and a
// damaged file ends the playback with a log line.

namespace {

// Fonts are not opened larger than the game ever draws them.
constexpr int largestFontSize = 200;
constexpr int widestOutline = 32;
// The width the game's screens are laid out for; wider screens centre them.
constexpr int layoutWidth = 1920;
// The most pixels one replayed text may take: a few times the game's largest text (the
// crash report wrapped on screen), while a 4 KB text command can ask for gigabytes.
constexpr double largestTextPixels = 16.0 * 1024 * 1024;

// Names in a replay stay inside the game's resource folder.
bool isResourceName(const std::string& name)
{
    TRACE();
    return name.find("..") == std::string::npos;
}

// One dimension of a copy cut to what the display shows: the source is cut at whole
// pixels and the destination kept in proportion, so that the picture does not move; it
// then reaches past the display by less than one source pixel on each side. Where one
// source pixel is larger than the display, the destination is cut at the display.
void cutToDisplay(int& sourceStart, int& sourceLength, int& start, int& length, int shownStart, int shownLength,
    int displayLength)
{
    TRACE();
    double perPixel = double(length) / sourceLength;
    double first = std::floor((shownStart - start) / perPixel);
    double last = std::ceil((shownStart + shownLength - start) / perPixel);
    sourceStart = int(std::clamp(sourceStart + first, -1e9, 1e9)); // the renderer clips the source
    sourceLength = int(last - first);
    if (perPixel > displayLength) {
        start = shownStart;
        length = shownLength;
    } else {
        start += int(std::floor(first * perPixel));
        length = int(std::ceil((last - first) * perPixel));
    }
}

// False when nothing of the copy is visible.
bool visiblePart(SDL_Rect& source, SDL_Rect& destination, const Camera& camera)
{
    TRACE();
    SDL_Rect display{0, 0, camera.width, camera.height};
    SDL_Rect shown;
    if (source.w < 1 || source.h < 1 || !SDL_IntersectRect(&destination, &display, &shown))
        return false;
    cutToDisplay(source.x, source.w, destination.x, destination.w, shown.x, shown.w, camera.width);
    cutToDisplay(source.y, source.h, destination.y, destination.h, shown.y, shown.h, camera.height);
    return true;
}

// The width of a text on one line; -1 when the font cannot measure it.
int textWidth(TTF_Font* ttf, const std::string& text)
{
    TRACE();
    int width = 0;
    return TTF_SizeUTF8(ttf, text.c_str(), &width, nullptr) == 0 ? width : -1;
}

// About the most pixels a text can take rendered, wrapped at `wrap` or not, or infinity
// when it cannot be measured. No line is wider than the whole text on one line, nor,
// when it wraps, than the wrap or its widest word; and two lines that wrapping made are
// together wider than one line can be, so wrapping makes at most two lines per line
// width of text.
double mostTextPixels(TTF_Font* ttf, const std::string& text, int wrap)
{
    TRACE();
    double width = textWidth(ttf, text);
    if (width < 0)
        return HUGE_VAL;
    double lineWidth = width;
    if (wrap > 0) {
        int widestWord = 0;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = std::min(text.find_first_of(" \n", start), text.size());
            widestWord = std::max(widestWord, textWidth(ttf, text.substr(start, end - start)));
            start = end + 1;
        }
        lineWidth = std::min(width, double(std::max(wrap, widestWord)));
    }
    double breaks = double(std::count(text.begin(), text.end(), '\n'));
    return TTF_FontLineSkip(ttf) * (2 * width + lineWidth * (breaks + 1));
}

} // namespace

std::string Recorder::openReplay(int entry, AssetManager* assets, Camera* camera)
{
    TRACE();
    this->assets = assets;
    this->camera = camera;
    stop();
    auto replays = replayListing();
    LOG("REPLAY item #" << entry + 1 << ", total items = " << replays.size());
    if (entry < 0 || entry >= int(replays.size()))
        return "ERROR: File index out of range";

    std::string path = replays[replays.size() - 1 - size_t(entry)].second;
    file = std::fopen(path.c_str(), "rb");
    if (!file) {
        LOG("ERROR: Cannot open/create replay file for reading. File: " << path);
        mode = modeIdle;
        return "Cannot open replay file.";
    }
    fileName = path;
    missingTextures.clear();
    unsigned char header[ReplayFormat::headerSize];
    size_t read = std::fread(header, 1, sizeof header, file);
    bool versionRead = read >= size_t(ReplayFormat::labelSize + 2);
    int version = versionRead ? loadNumber(header + ReplayFormat::labelSize) : 0;
    std::string refusal;
    if (!versionRead || (version == ReplayFormat::version && read < sizeof header))
        refusal = "Cannot open replay file.";
    else if (version > ReplayFormat::version && version <= 200)
        refusal = "Newer file format. Please update the game to the latest version.";
    else if (version != ReplayFormat::version)
        refusal = "File created with an older, incompatible version. Cannot replay.";
    if (!refusal.empty()) {
        LOG("REPLAY: " << path << " not played: " << refusal);
        std::fclose(file);
        file = nullptr;
        mode = modeIdle;
        return refusal;
    }

    recordedWidth = loadNumber(header + ReplayFormat::labelSize + 2);
    recordedHeight = loadNumber(header + ReplayFormat::labelSize + 4);
    scrollX = 0;
    layout = ReplayCode::layoutBottomScrolled;
    mode = modePlaying;
    skipFrames = 0;
    frameCount = 0;
    if (assets)
        assets->fadeOutMusic(100, 0);
    return "OK";
}

int Recorder::playFrame(Camera& camera)
{
    TRACE();
    int commands = 0;
    ReplayCommand command;
    while (file && mode == modePlaying) {
        switch (readReplayCommand(file, command, nameBuffer)) {
        case ReplayRead::endOfFile:
            LOG("REPLAY: the replay ended after " << frameCount << " frames");
            stop();
            return commands;
        case ReplayRead::unknownCode:
            LOG("R: UNKNOWN data type = " << command.code << ", offset = " << std::ftell(file));
            stop();
            return commands;
        case ReplayRead::cutShort:
            endPlayback("the file ends inside command ", command.code);
            return commands;
        case ReplayRead::badString:
            endPlayback("bad string length in command ", command.code);
            return commands;
        case ReplayRead::command:
            break;
        }
        commands++;
        if (!playCommand(command, camera))
            break;
    }
    return commands;
}

void Recorder::endPlayback(const char* problem, int value)
{
    TRACE();
    LOG("R: " << problem << value << ", offset = " << std::ftell(file));
    stop();
}

// Returns false when nothing more is to be read for this displayed frame.
bool Recorder::playCommand(const ReplayCommand& command, Camera& camera)
{
    TRACE();
    const int* v = command.values;
    const bool fastForward = skipFrames > 0;
    SDL_Renderer* renderer = camera.renderer;
    SDL_Texture* texture = nullptr;
    std::unique_ptr<CachedText>* text = nullptr;
    switch (command.code) {
    case ReplayCode::clearBlack:
    case ReplayCode::clearBlue:
        if (!fastForward) {
            if (command.code == ReplayCode::clearBlack)
                SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            else
                SDL_SetRenderDrawColor(renderer, 66, 144, 168, 255);
            SDL_RenderClear(renderer);
        }
        return true;
    case ReplayCode::endOfFrame:
        frameCount++;
        if (skipFrames < 1)
            return false;
        skipFrames--;
        return true;
    case ReplayCode::alphaMod:
        if (!lookUpTexture(v[0], texture))
            return false;
        if (texture)
            SDL_SetTextureAlphaMod(texture, Uint8(v[1]));
        return true;
    case ReplayCode::colourMod:
        if (!lookUpTexture(v[0], texture))
            return false;
        if (texture)
            SDL_SetTextureColorMod(texture, Uint8(v[1]), Uint8(v[2]), Uint8(v[3]));
        return true;
    case ReplayCode::defineTexture: {
        // Kind 4 names no picture: its textures are made by 22 and destroyed by `stop`.
        const std::string& name = command.strings[0];
        bool named = name != "LF" && v[0] != 4 && isResourceName(name);
        Texture* picture = named && assets ? assets->getTexture(name) : nullptr;
        if (picture && v[0] == 2)
            texture = picture->frozen(renderer);
        else if (picture && v[0] == 3)
            texture = picture->grayscale(renderer, false);
        else if (picture)
            texture = picture->texture;
        // A recording starts from plain textures; the game may have tinted them since.
        if (texture) {
            SDL_SetTextureAlphaMod(texture, 255);
            SDL_SetTextureColorMod(texture, 255, 255, 255);
        }
        replayTextures.push_back(RecordedTexture{v[0], name, texture});
        return true;
    }
    case ReplayCode::defineText:
    case ReplayCode::textTexture:
        return playText(command, camera);
    case ReplayCode::drawText: {
        if (!textAt(v[0], text))
            return false;
        int x = v[1], y = v[2];
        fitToLayout(x, y, camera);
        if (*text && !fastForward) {
            if (v[3] == 30)
                (*text)->draw(x, y);
            else
                (*text)->drawZoomed(x, y, float(v[3]) / 30.0f);
        }
        return true;
    }
    case ReplayCode::forgetText:
        if (!textAt(v[0], text))
            return false;
        text->reset();
        return true;
    case ReplayCode::scrollSmoothly:
    case ReplayCode::scrollAtOnce:
        scroll(v[0], v[1], command.code == ReplayCode::scrollSmoothly, camera);
        return true;
    case ReplayCode::layoutTopLeft:
    case ReplayCode::layoutRight:
    case ReplayCode::layoutBottomScrolled:
    case ReplayCode::layoutBottom:
    case ReplayCode::layoutCentred:
        layout = command.code;
        return true;
    case ReplayCode::drawLine:
        if (!fastForward) {
            int shiftX = recordedWidth > camera.width ? -scrollX : 0;
            int shiftY = recordedHeight > camera.height ? camera.height - recordedHeight : 0;
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderDrawLine(renderer, v[0] + shiftX, v[1] + shiftY, v[2] + shiftX, v[3] + shiftY);
        }
        return true;
    case ReplayCode::sound:
        // Sounds play while fast-forwarding too.
        if (assets && isResourceName(command.strings[0]))
            assets->playSound(command.strings[0], v[0], 5);
        return true;
    case ReplayCode::music:
        if (assets && isResourceName(command.strings[0]))
            assets->fadeInTheme(command.strings[0], v[0], v[1]);
        return true;
    case ReplayCode::musicOff:
        if (assets)
            assets->fadeOutMusic(v[0], 0);
        return true;
    case ReplayCode::musicFade:
        if (assets)
            assets->fadeOutMusic(v[0], v[1]);
        return true;
    case ReplayCode::stopSounds:
        if (assets)
            assets->stopAllSounds();
        return true;
    default:
        if (command.code >= ReplayCode::copy && command.code < ReplayCode::defineTexture)
            return playCopy(command, camera);
        return true; // 36 to 40 mean nothing
    }
}

bool Recorder::playCopy(const ReplayCommand& command, Camera& camera)
{
    TRACE();
    CopyShape shape = copyShape(command.code);
    const int* v = command.values;
    int at = 0;
    int index = v[at++];
    int flip = shape.flip ? v[at++] : 0;
    SDL_Rect source{0, 0, 0, 0};
    SDL_Rect destination{0, 0, recordedWidth, recordedHeight};
    if (shape.source) {
        source = SDL_Rect{v[at], v[at + 1], v[at + 2], v[at + 3]};
        at += 4;
    }
    if (shape.destination) {
        destination = SDL_Rect{v[at], v[at + 1], v[at + 2], v[at + 3]};
        at += 4;
    }
    SDL_Point centre{0, 0};
    double angle = 0;
    if (shape.rotation) {
        centre = SDL_Point{v[at], v[at + 1]};
        angle = v[at + 2] / double(ReplayFormat::angleScale);
    }
    SDL_Texture* texture = nullptr;
    if (!lookUpTexture(index, texture))
        return false;
    fitToLayout(destination.x, destination.y, camera);
    bool offScreen = destination.x > camera.width || destination.y > camera.height || destination.x + destination.w < 0
        || destination.y + destination.h < 0;
    if (!texture || offScreen || skipFrames > 0)
        return true;
    // The software renderer scales a copy that crosses the display's edge whole into a
    // buffer first: gigabytes for a damaged replay. A copy larger than twice the display
    // is cut to what the display shows, or skipped when mirrored or turned, which the
    // game does only to small pictures.
    const SDL_Rect* from = shape.source ? &source : nullptr;
    if (destination.w > 2 * camera.width || destination.h > 2 * camera.height) {
        if (shape.flip)
            return true;
        if (!shape.source)
            SDL_QueryTexture(texture, nullptr, nullptr, &source.w, &source.h);
        if (!visiblePart(source, destination, camera))
            return true;
        from = &source;
    }
    if (shape.flip)
        SDL_RenderCopyEx(camera.renderer, texture, from, &destination, angle, shape.rotation ? &centre : nullptr,
            SDL_RendererFlip(flip & (SDL_FLIP_HORIZONTAL | SDL_FLIP_VERTICAL)));
    else
        SDL_RenderCopy(camera.renderer, texture, from, &destination);
    return true;
}

// A text definition: kept as a text (19) or turned into a texture entry (22).
bool Recorder::playText(const ReplayCommand& command, Camera& camera)
{
    TRACE();
    const int* v = command.values;
    int size = v[0], outline = v[1];
    if (size < 1 || size > largestFontSize || outline < 0 || outline > widestOutline) {
        endPlayback("bad font in text definition, size = ", size);
        return false;
    }
    const std::string& fontFile = command.strings[0];
    Font* font = nullptr;
    if (assets && isResourceName(fontFile))
        font = assets->findFont(fontFile, size, outline,
            "RECORDED_" + fontFile + "_" + std::to_string(size) + "_" + std::to_string(outline));
    // The font measures only UTF-8, yet draws anything: the game writes nothing else.
    const std::string& string = command.strings[1];
    if (!utf8::is_valid(string.begin(), string.end())) {
        endPlayback("text not in UTF-8, bytes = ", int(string.size()));
        return false;
    }
    if (font && font->ttf && mostTextPixels(font->ttf, string, v[2]) > largestTextPixels) {
        endPlayback("text too large to draw, bytes = ", int(string.size()));
        return false;
    }
    SDL_Color colour{Uint8(v[3]), Uint8(v[4]), Uint8(v[5]), Uint8(v[6])};
    auto text = std::make_unique<CachedText>(&camera, font, colour, "");
    text->shadowOffset = v[7];
    text->recordable = 0;
    text->setTextWrapped(string, v[2]);
    if (command.code == ReplayCode::textTexture) {
        // The texture changes hands: the entry owns it now and `stop` destroys it.
        replayTextures.push_back(RecordedTexture{4, "LF", text->texture});
        text->texture = nullptr;
    } else {
        replayTexts.push_back(std::move(text));
    }
    return true;
}

// False, with the playback ended, for an index the replay never defined.
bool Recorder::lookUpTexture(int index, SDL_Texture*& texture)
{
    TRACE();
    if (index < 0 || index >= int(replayTextures.size())) {
        endPlayback("texture index out of range = ", index);
        return false;
    }
    texture = replayTextures[size_t(index)].texture;
    if (!texture && missingTextures.insert(int16_t(index)).second)
        LOG("REPLAY: texture not found. Index = " << index << ", pos = " << std::ftell(file));
    return true;
}

bool Recorder::textAt(int index, std::unique_ptr<CachedText>*& slot)
{
    TRACE();
    if (index < 0 || index >= int(replayTexts.size())) {
        endPlayback("text index out of range = ", index);
        return false;
    }
    slot = &replayTexts[size_t(index)];
    return true;
}

// A recording larger than the display is moved, in the dimension where it does not
// fit, as its layout marker says.
void Recorder::fitToLayout(int& x, int& y, const Camera& camera) const
{
    TRACE();
    bool wider = recordedWidth > camera.width;
    bool taller = recordedHeight > camera.height;
    switch (layout) {
    case ReplayCode::layoutBottomScrolled:
        if (wider)
            x -= scrollX;
        if (taller)
            y += camera.height - recordedHeight;
        break;
    case ReplayCode::layoutRight:
        if (wider)
            x += camera.width - recordedWidth;
        break;
    case ReplayCode::layoutBottom:
        if (taller)
            y += camera.height - recordedHeight;
        break;
    case ReplayCode::layoutCentred:
        if (wider)
            x -= (recordedWidth - camera.width) / 2;
        if (taller)
            y -= (recordedHeight - camera.height) / 2;
        break;
    default:
        break;
    }
}

void Recorder::scroll(int a, int b, bool smoothly, const Camera& camera)
{
    TRACE();
    int width = camera.width;
    int target = width > layoutWidth ? (layoutWidth - width) / 2 : std::clamp(b - width / 2, 0, layoutWidth - width);
    // A recording narrower than the display never scrolls.
    int value = std::max(0, std::min(target - a, recordedWidth - width));
    scrollX = smoothly ? (value + 9 * scrollX) / 10 : value;
}
