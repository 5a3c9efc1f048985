#pragma once

#include "core/ReplayFormat.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class AssetManager;
class Camera;
class CachedText;
class Font;
class GlyphTable;

// A texture as a replay names it: kind 1 a picture file, 2 its frozen variant, 3 its
// grey variant, 4 a text rendered during playback.
struct RecordedTexture {
    int kind;
    std::string name;
    SDL_Texture* texture;
    // The modulation a player of the recording has been told; a definition starts plain.
    int alpha = 255;
    int colour = 0xFFFFFF;
};

// A glyph sheet made at run time, which no file names: each glyph is recorded as a
// texture entry of its own (kind 4), rendered by the player from the same font just as
// the game rendered it into its cell.
struct RecordedGlyphSheet {
    struct Glyph {
        std::string text;
        int w = 0, h = 0;  // rendered alone; 0 for a blank, which draws nothing
        bool cut = false;  // ink beyond the cell, which the sheet cut off
        int entry = -1;    // texture index in this recording; -1 until its first copy
    };
    std::string fontFile;
    int fontSize = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    Glyph glyphs[256];
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
    // Texture names this long or longer are never recorded.
    static constexpr size_t longestTextureName = 4000;

    Recorder();
    virtual ~Recorder();

    FILE* file = nullptr;
    AssetManager* assets = nullptr; // used during playback
    Camera* camera = nullptr;       // used during playback
    int replayNumberLimit = 0; // replays kept when a new one starts; 0 keeps all nine
    int replaySizeLimit = 2000; // megabytes
    int recordedWidth = 1920;
    int recordedHeight = 1080;
    int scrollX = 0;
    int skipFrames = 0;
    int frameCount = 0; // frames recorded or played
    int layout = 0;
    int mode = modeIdle;
    std::vector<RecordedTexture> textures;
    std::vector<RecordedTexture> replayTextures;
    std::map<SDL_Texture*, int16_t> textureIndex;
    std::string fileName; // the replay being recorded or played
    int nextTextIndex = 0;
    std::vector<std::unique_ptr<CachedText>> replayTexts;
    std::map<SDL_Texture*, int> textIndex;
    std::set<int16_t> missingTextures;
    std::map<SDL_Texture*, RecordedGlyphSheet> glyphSheets;
    char nameBuffer[ReplayFormat::commandCapacity] = {};
    unsigned char commandBuffer[ReplayFormat::commandCapacity] = {};
    unsigned char writeCache[65536] = {};
    int cacheFill = 0;
    int chunksWritten = 0;

    // Recording wrappers: each performs its operation and records it while recording.
    void clear(SDL_Renderer* renderer);
    int renderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source, const SDL_Rect* destination);
    // A mirrored or turned copy; no centre turns about the middle of the destination.
    int renderCopyEx(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
        const SDL_Rect* destination, double angle, const SDL_Point* centre, SDL_RendererFlip flip);
    void present(SDL_Renderer* renderer);
    void registerTexture(const std::string& name, SDL_Texture* texture, int kind);
    // A sheet of the 256 glyphs, each rendered alone in white with `font` and placed at
    // the top left of its cell of the sheet's 16 x 16; the sheet's copies of whole cells
    // are recorded as copies of their glyph.
    void registerGlyphSheet(SDL_Texture* sheet, const Font& font, int cellWidth, int cellHeight,
        const GlyphTable& glyphs);
    // Also for a glyph sheet.
    void forgetTexture(SDL_Texture* texture);
    // `destination` is where the text was copied.
    void recordText(CachedText* text, const SDL_Rect& destination, int x, int y, float zoom);
    void forgetText(CachedText* text);
    void recordSound(const std::string& name, int loops);
    void recordMusic(const std::string& name, int fadeIn, int fadeOut);
    void recordFadeOut(int ms, int target);
    void recordStopAll();
    void recordMarker(int code);
    // Ends a recording (writing what it still holds) or a playback.
    void stop();

    // Opens a new replay file in the per-user folder and arms the recorder: the game's
    // next input starts the recording. `label` names the replay in the listing and
    // should sort by time; the width and height are the screen's. False when the file
    // cannot be made.
    bool startRecording(const std::string& label, int width, int height);
    // The local time as a replay label, "YYYY-MM-DD HH:MM:SS".
    static std::string timeLabel();

    // Playback. `entry` 0 is the newest replay of the listing. Returns "OK" when
    // playback began, else the message for the player.
    std::string openReplay(int entry, AssetManager* assets, Camera* camera);
    // Plays the commands of one recorded frame (several while fast-forwarding) and
    // returns how many it executed.
    int playFrame(Camera& camera);

private:
    bool fileIsOpenForWriting() const;
    // Writes a command while recording; `evenWhenArmed` for the definitions that must
    // come before the first command of a recording.
    void record(bool evenWhenArmed, int code, std::initializer_list<int> values,
        std::initializer_list<std::string_view> strings = {});
    void append(const unsigned char* bytes, int count);
    void defineTexture(int index);
    // Writes a text definition, 19 for a text index or 22 for a texture entry; false
    // when the font's name leaves no room for it.
    bool defineTextLike(int code, const std::string& fontFile, int size, int outline, int wrap, SDL_Color colour,
        int shadow, const std::string& string);
    bool defineText(CachedText* text);
    // A new texture entry of kind 4 standing for `texture`; its index.
    int addTextTexture(SDL_Texture* texture);
    void recordTextAsPicture(CachedText* text, const SDL_Rect& destination);
    void recordGlyphCopy(RecordedGlyphSheet& sheet, SDL_Texture* texture, const SDL_Rect* source,
        const SDL_Rect* destination);
    void recordModulation(RecordedTexture& entry, int index);
    // The texture's index when its copies are to be recorded, else -1.
    int recordedIndex(SDL_Texture* texture);
    void deleteOldReplays(const std::string& newest);
    void releasePlayback();

    bool playCommand(const ReplayCommand& command, Camera& camera);
    bool playCopy(const ReplayCommand& command, Camera& camera);
    bool playText(const ReplayCommand& command, Camera& camera);
    bool lookUpTexture(int index, SDL_Texture*& texture);
    bool textAt(int index, std::unique_ptr<CachedText>*& slot);
    void fitToLayout(int& x, int& y, const Camera& camera) const;
    void scroll(int a, int b, bool smoothly, const Camera& camera);
    void endPlayback(const char* problem, int value);
};

Recorder& recorder();
