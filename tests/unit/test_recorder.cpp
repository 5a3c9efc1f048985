#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/Game.h"
#include "core/NineSlice.h"
#include "core/Recorder.h"
#include "core/Replay.h"
#include "core/ReplayFormat.h"
#include "core/Texture.h"
#include "core/UserFiles.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string command(int code, std::initializer_list<int> values = {},
    std::initializer_list<std::string_view> strings = {})
{
    unsigned char bytes[ReplayFormat::commandCapacity];
    int length = encodeReplayCommand(bytes, int(sizeof bytes), code, values, strings);
    EXPECT_GT(length, 0) << "command " << code;
    return std::string(reinterpret_cast<char*>(bytes), size_t(length));
}

std::string header(const std::string& label, int version = 2, int width = 1920, int height = 1080)
{
    unsigned char numbers[6];
    storeNumber(numbers, version);
    storeNumber(numbers + 2, width);
    storeNumber(numbers + 4, height);
    return label + std::string(reinterpret_cast<char*>(numbers), 6);
}

// The commands of a replay file after its header, with the size each took.
struct Decoded {
    std::vector<ReplayCommand> commands;
    std::vector<long> sizes;
    std::vector<int> codes() const
    {
        std::vector<int> result;
        for (const ReplayCommand& c : commands)
            result.push_back(c.code);
        return result;
    }
};

Decoded decode(const std::string& bytes)
{
    Decoded decoded;
    std::string body = bytes.substr(ReplayFormat::headerSize);
    FILE* file = fmemopen(body.data(), body.size(), "rb");
    char buffer[ReplayFormat::longestString + 1];
    ReplayCommand next;
    long start = 0;
    while (readReplayCommand(file, next, buffer) == ReplayRead::command) {
        decoded.commands.push_back(next);
        decoded.sizes.push_back(std::ftell(file) - start);
        start = std::ftell(file);
    }
    std::fclose(file);
    return decoded;
}

// FNV-1a over the whole screen, read into `pixels`.
uint64_t screenHash(SDL_Renderer* renderer, int width, std::vector<uint64_t>& pixels)
{
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4);
    uint64_t hash = 1469598103934665603ull;
    for (uint64_t word : pixels)
        hash = (hash ^ word) * 1099511628211ull;
    return hash;
}

class RecorderTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        recorder().stop();
        recorder().replayNumberLimit = 0;
        recorder().replaySizeLimit = 2000;
        removeReplays();
        SDL_Surface* dot = makeSurface(4, 4);
        SDL_FillRect(dot, nullptr, 0xFFFFFFFF);
        writePicture("replay-dot.png", dot);
        SDL_FreeSurface(dot);
    }
    void TearDown() override
    {
        recorder().stop();
        SdlTest::TearDown();
    }

    // A recording whose first input has come.
    void startRecording(const std::string& label = "2030-01-01 10:00:00")
    {
        ASSERT_TRUE(recorder().startRecording(label, screenWidth, screenHeight));
        ASSERT_EQ(recorder().mode, Recorder::modeArmed);
        recorder().mode = Recorder::modeRecording;
    }

    // Plays until the recorder stops, at most `frames` frames.
    void playToTheEnd(int frames = 50)
    {
        for (int frame = 0; frame < frames && recorder().mode == Recorder::modePlaying; frame++)
            recorder().playFrame(*camera);
        EXPECT_EQ(recorder().mode, Recorder::modeIdle);
        EXPECT_EQ(recorder().file, nullptr);
    }

    // A picture with enough detail that any misplaced pixel changes the screen.
    void writePattern(const std::string& name, int size)
    {
        SDL_Surface* surface = makeSurface(size, size);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                setSurfacePixel(surface, x, y, Uint32((x * 37 + y * 11) % 200 + 55) << 24 | Uint32(x * 4) << 16
                        | Uint32(y * 4) << 8 | Uint32((x ^ y) * 4));
        writePicture(name, surface);
        SDL_FreeSurface(surface);
    }

    // Names of the sounds and themes started since the last call.
    std::vector<std::string> soundsStarted(AssetManager& sounds)
    {
        std::vector<std::string> names;
        for (int channel = 0; channel < AssetManager::channelCount; channel++) {
            if (sounds.elapsed[channel] == 0 && !sounds.channelSound[channel].empty())
                names.push_back(sounds.channelSound[channel]);
            sounds.elapsed[channel] = 1.0f;
        }
        return names;
    }
};

} // namespace

TEST_F(RecorderTest, AFrameATextureAndTextsAreEncodedAsTheyHappen)
{
    makeAssets(0);
    Texture* panel = assets->getTexture("replay-dot.png");
    int failures = logLinesContaining("ERROR: fwrite failed");
    startRecording();
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    recorder().clear(renderer);
    EXPECT_EQ(drawNineSlice(renderer, panel->texture, 10, 10, 300, 200, 4, 4, 1, 1), 9);
    recorder().present(renderer);

    // Loaded while recording: defined before its first use.
    writePattern("replay-late.png", 8);
    Texture* late = assets->getTexture("replay-late.png");
    SDL_Rect where{5, 6, 7, 8};
    recorder().renderCopy(renderer, late->texture, nullptr, &where);

    CachedText text(camera.get(), assets->getFont("small"), colourWhite, "first");
    text.draw(1, 2);
    text.draw(3, 4);
    text.setText("second");
    text.drawZoomed(5, 6, 1.0f);
    text.drawZoomed(7, 8, 8.5f);
    // Beyond the byte's zoom: the player copies a picture of the text to the drawn place.
    text.drawZoomed(9, 10, 9.0f);
    assets->stopAllSounds();
    // Nothing has filled the 64 KiB cache: all of it is in the file because stop wrote it.
    recorder().stop();
    EXPECT_EQ(logLinesContaining("ERROR: fwrite failed"), failures);

    std::string bytes = readFileBytes(replayPath(1));
    ASSERT_EQ(bytes.substr(0, 19), "2030-01-01 10:00:00");
    Decoded stream = decode(bytes);
    EXPECT_EQ(stream.codes(), (std::vector<int>{18, 1, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 18, 7, 19, 20, 20, 21, 19, 20,
                                  20, 22, 7, 33}));
    EXPECT_EQ(stream.commands[0].strings[0], "replay-dot.png");
    EXPECT_EQ(stream.sizes[2], 19);
    const int* copy = stream.commands[2].values;
    EXPECT_EQ(std::vector<int>(copy, copy + 9), (std::vector<int>{0, 0, 0, 1, 1, 10, 10, 1, 1}));
    EXPECT_EQ(stream.commands[12].strings[0], "replay-late.png");
    EXPECT_EQ(stream.commands[13].values[0], 1);
    const ReplayCommand& first = stream.commands[14];
    EXPECT_EQ(std::vector<int>(first.values, first.values + 8), (std::vector<int>{18, 0, 9999, 255, 255, 255, 255, 0}));
    EXPECT_EQ(first.strings[0], "main.ttf");
    EXPECT_EQ(first.strings[1], "first");
    EXPECT_EQ(stream.commands[16].values[1], 3);
    EXPECT_EQ(stream.commands[17].values[0], 0); // the first rendering is forgotten
    EXPECT_EQ(stream.commands[18].strings[1], "second");
    EXPECT_EQ(stream.commands[19].values[0], 1);
    EXPECT_EQ(stream.commands[19].values[3], 30);
    EXPECT_EQ(stream.commands[20].values[3], 255);
    EXPECT_EQ(stream.commands[21].strings[1], "second");
    SDL_Rect zoomed = text.zoomedPlace(9, 10, 9.0f);
    const int* picture = stream.commands[22].values;
    EXPECT_EQ(std::vector<int>(picture, picture + 5), (std::vector<int>{2, zoomed.x, zoomed.y, zoomed.w, zoomed.h}));
}

TEST_F(RecorderTest, TintsAndLongTextsAreRecordedWithinOneCommand)
{
    makeAssets(0);
    Texture* dot = assets->getTexture("replay-dot.png");
    startRecording();
    SDL_SetTextureAlphaMod(dot->texture, 100);
    SDL_SetTextureColorMod(dot->texture, 1, 2, 3);
    SDL_Rect where{0, 0, 4, 4};
    recorder().renderCopy(renderer, dot->texture, nullptr, &where);
    recorder().renderCopy(renderer, dot->texture, nullptr, &where); // unchanged: told once

    // 4091 bytes do not fit beside the font name: the cut at 4072 would split a character.
    std::string longText = "x";
    for (int i = 0; i < 2045; i++)
        longText += "\xC3\xA9";
    CachedText text(camera.get(), assets->getFont("small"), colourWhite, longText);
    text.draw(0, 0);
    recorder().stop();

    Decoded stream = decode(readFileBytes(replayPath(1)));
    EXPECT_EQ(stream.codes(), (std::vector<int>{18, 4, 5, 7, 7, 19, 20}));
    EXPECT_EQ(stream.commands[1].values[1], 100);
    EXPECT_EQ(std::vector<int>(stream.commands[2].values + 1, stream.commands[2].values + 4),
        (std::vector<int>{1, 2, 3}));
    EXPECT_LE(stream.sizes[5], ReplayFormat::commandCapacity);
    EXPECT_EQ(stream.commands[5].strings[1], longText.substr(0, 4071));
}

TEST_F(RecorderTest, TheSizeLimitAndWriteFailuresStopTheRecordingAndKeepTheGameGoing)
{
    recorder().replaySizeLimit = 1;
    startRecording();
    int sounds = 0;
    while (recorder().mode == Recorder::modeRecording && sounds < 100000) {
        recorder().recordSound("tick.wav", 0);
        sounds++;
    }
    EXPECT_EQ(recorder().chunksWritten, 16);
    EXPECT_EQ(logLinesContaining("WARNING: recorder reached file size limit. Recording stopped."), 1);
    std::string bytes = readFileBytes(replayPath(1));
    EXPECT_GT(bytes.size(), 15u * 65536u);
    EXPECT_LT(bytes.size(), 16u * 65536u);

    // A full disk: the chunk that cannot be written ends the recording, and so does the
    // end of a recording that cannot be finished.
    recorder().replaySizeLimit = 2000;
    const std::pair<bool, const char*> failures[] = {
        {false, "ERROR: fwrite failed. Wrote 0 objects."}, {true, "ERROR: Cannot finish the replay file "}};
    for (const auto& failure : failures) {
        startRecording();
        std::fclose(recorder().file);
        recorder().file = std::fopen("/dev/full", "wb");
        ASSERT_NE(recorder().file, nullptr);
        int before = logLinesContaining(failure.second);
        for (int i = 0; i < (failure.first ? 10 : 100000) && recorder().mode == Recorder::modeRecording; i++)
            recorder().recordSound("tick.wav", 0);
        if (failure.first)
            recorder().stop();
        EXPECT_EQ(recorder().mode, Recorder::modeIdle);
        EXPECT_EQ(recorder().file, nullptr);
        EXPECT_EQ(logLinesContaining(failure.second), before + 1) << failure.second;
    }
}

TEST_F(RecorderTest, ANewRecordingTakesTheNextSlotAndTheOldestGoBeyondTheLimit)
{
    for (int n = 1; n <= 10; n++) {
        char label[20];
        std::snprintf(label, sizeof label, "2030-01-01 10:00:%02d", n);
        startRecording(label);
        recorder().stop();
    }
    // The tenth went to slot 1 again, over the first.
    auto replays = replayListing();
    ASSERT_EQ(replays.size(), 9u);
    EXPECT_EQ(replays.back(), std::make_pair(std::string("2030-01-01 10:00:10"), replayPath(1)));
    EXPECT_EQ(replays.front().second, replayPath(2));

    recorder().replayNumberLimit = 3;
    startRecording("2030-01-01 10:00:11");
    recorder().stop();
    replays = replayListing();
    ASSERT_EQ(replays.size(), 3u);
    EXPECT_EQ(replays[0].second, replayPath(9));
    EXPECT_EQ(replays[1].second, replayPath(1));
    EXPECT_EQ(replays[2].second, replayPath(2));
}

// A played game comes back pixel for pixel, with its sounds and music frame by frame:
// the story's fading lines over the wall, the grid from the glyph sheet with its
// tinted labels, steps and their trail, a program with its listing, the HACKER popup,
// the other page, the pause menu over the darkened game, and a smaller window whose
// grid takes the bold face. A grey picture stands for what the game does not draw.
TEST_F(RecorderTest, APlayedBackGameEqualsTheRecordedFramesPixelForPixel)
{
    ASSERT_TRUE(openMixer(64));
    // A still mixer: no sound ends by itself, so sounds get the same channels however
    // long a frame takes to draw.
    for (SDL_AudioDeviceID device = 1; device < 8; device++)
        if (SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_PLAYING)
            SDL_PauseAudioDevice(device, 1);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear"); // as the game draws
    writePattern("replay-tile.png", 32);
    makeAssets(1);
    settingsStorage().strings.clear();
    AchievementManager achievements;
    assets->achievements = &achievements;
    std::map<int, Joystick*> controllers;
    std::vector<uint64_t> frames;
    std::vector<std::vector<std::string>> sounds;
    std::vector<uint64_t> pixels(size_t(screenWidth) * screenHeight / 2);
    {
        Game game;
        ASSERT_TRUE(game.init(*camera, assets.get(), &controllers, true));
        SDL_Texture* grey = assets->getTexture("replay-tile.png")->grayscale(renderer, false);
        ASSERT_TRUE(recorder().startRecording("2030-01-01 10:00:00", screenWidth, screenHeight));
        auto draw = [&](int count, float dt = 1.0f / 60) {
            for (int i = 0; i < count; i++) {
                game.draw(*camera, dt);
                SDL_Rect corner{0, 0, 32, 32};
                recorder().renderCopy(renderer, grey, nullptr, &corner);
                frames.push_back(screenHash(renderer, screenWidth, pixels));
                sounds.push_back(soundsStarted(*assets));
                recorder().present(renderer);
            }
        };
        auto press = [&](SDL_Keycode key, bool down = true) {
            SDL_Event event = keyDown(key);
            event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            if (down)
                game.onKeyDown(&event);
            else
                game.onKeyUp(&event);
        };
        auto tap = [&](SDL_Keycode key, int times) {
            for (int i = 0; i < times; i++) {
                press(key);
                draw(1);
                press(key, false);
                draw(1);
            }
        };
        World& world = game.world;
        press(SDLK_RIGHT); // the first input starts the recording; the story goes on
        press(SDLK_RIGHT, false);
        draw(16, 0.25f);
        press(SDLK_ESCAPE);
        draw(5, 0.5f);
        tap(SDLK_RIGHT, 5);
        tap(SDLK_DOWN, 2);
        world.mainPage.cell(30, 10).value = 'a'; // add, with its operand at (31, 10)
        world.mainPage.cell(30, 11).value = 'a';
        world.mainPage.cell(31, 10).value = 0;
        world.programLocation = 30 * 256 + 10;
        world.playerX = 31;
        world.playerY = 11;
        tap(SDLK_UP, 1); // onto the operand: HACKER
        ASSERT_TRUE(achievements.popupActive);
        draw(12); // its glow turned by more than a whole turn
        world.playerPage = World::secondPageNumber;
        draw(3);
        world.playerPage = 0;
        press(SDLK_ESCAPE);
        draw(3);
        press(SDLK_DOWN);
        press(SDLK_RIGHT); // the music volume's label changes, its row pops out
        draw(8);
        press(SDLK_ESCAPE);
        camera->width = 1280;
        camera->height = 720;
        game.measureFont();
        EXPECT_LT(game.fontSize, 19);
        tap(SDLK_DOWN, 4);
        recorder().stop();
    }
    camera->width = screenWidth;
    camera->height = screenHeight;

    // A fresh start: every picture and font is loaded again from what the file names.
    assets.reset();
    makeAssets(1);
    ASSERT_EQ(recorder().openReplay(0, assets.get(), camera.get()), "OK");
    soundsStarted(*assets);
    for (size_t frame = 0; frame < frames.size(); frame++) {
        recorder().playFrame(*camera);
        ASSERT_EQ(screenHash(renderer, screenWidth, pixels), frames[frame]) << "frame " << frame;
        ASSERT_EQ(soundsStarted(*assets), sounds[frame]) << "frame " << frame;
    }
    EXPECT_TRUE(assets->fonts.count("RECORDED_main-bold.ttf_15_0"));
    playToTheEnd(1);
}

TEST_F(RecorderTest, ThePlayerPicksTheNewestReplayAndRefusesOtherVersions)
{
    makeAssets(0);
    std::string frame = command(ReplayCode::clearBlack) + command(ReplayCode::endOfFrame);
    writeFileBytes(replayPath(4), header("2030-01-01 10:00:00") + frame);
    writeFileBytes(replayPath(3), header("2030-02-01 10:00:00") + frame);
    EXPECT_EQ(recorder().openReplay(0, assets.get(), camera.get()), "OK");
    EXPECT_EQ(recorder().fileName, replayPath(3));
    EXPECT_EQ(recorder().layout, ReplayCode::layoutBottomScrolled);
    EXPECT_EQ(recorder().openReplay(1, assets.get(), camera.get()), "OK");
    EXPECT_EQ(recorder().fileName, replayPath(4));
    for (int entry : {2, -1})
        EXPECT_EQ(recorder().openReplay(entry, assets.get(), camera.get()), "ERROR: File index out of range");
    EXPECT_EQ(logLinesContaining("REPLAY item #3, total items = 2"), 1);

    const std::pair<std::string, std::string> refused[] = {
        {header("2030-03-01 10:00:00", 3), "Newer file format. Please update the game to the latest version."},
        {header("2030-03-01 10:00:00", 200), "Newer file format. Please update the game to the latest version."},
        {header("2030-03-01 10:00:00", 1), "File created with an older, incompatible version. Cannot replay."},
        {header("2030-03-01 10:00:00", 201), "File created with an older, incompatible version. Cannot replay."},
        {header("2030-03-01 10:00:00").substr(0, 23), "Cannot open replay file."},
    };
    for (const auto& file : refused) {
        writeFileBytes(replayPath(5), file.first);
        EXPECT_EQ(recorder().openReplay(0, assets.get(), camera.get()), file.second);
        EXPECT_EQ(recorder().mode, Recorder::modeIdle);
        EXPECT_EQ(recorder().file, nullptr);
    }
}

// A 1920 x 1080 recording on a 1280 x 720 display: bottom-aligned and scrolled at
// first, centred after the pause menu's marker.
TEST_F(RecorderTest, ALargerRecordingIsFittedByItsLayout)
{
    makeAssets(0);
    Camera small(renderer, 1280, 720);
    auto dotAt = [](int x, int y) { return command(ReplayCode::copy + 1, {0, x, y, 4, 4}); };
    std::string clear = command(ReplayCode::clearBlack), end = command(ReplayCode::endOfFrame);
    writeFileBytes(replayPath(1), header("2030-01-01 10:00:00")
            + command(ReplayCode::defineTexture, {1}, {"replay-dot.png"}) + clear + dotAt(320, 400) + end
            + command(ReplayCode::scrollAtOnce, {0, 1280}) + clear + dotAt(700, 400) + end
            + command(ReplayCode::scrollSmoothly, {0, 640}) + end
            + command(ReplayCode::layoutCentred) + clear + dotAt(320, 180)
            + command(ReplayCode::textTexture, {18, 0, 9999, 255, 255, 255, 255, 0}, {"main.ttf", "XXXX"})
            + command(ReplayCode::copy + 1, {1, 700, 500, 40, 20}) + end);
    ASSERT_EQ(recorder().openReplay(0, assets.get(), &small), "OK");
    recorder().playFrame(small);
    EXPECT_EQ(pixelAt(320, 40), 0xFFFFFFFFu);
    recorder().playFrame(small);
    EXPECT_EQ(recorder().scrollX, 640);
    EXPECT_EQ(pixelAt(60, 40), 0xFFFFFFFFu);
    recorder().playFrame(small);
    EXPECT_EQ(recorder().scrollX, 576);
    recorder().playFrame(small);
    EXPECT_EQ(pixelAt(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pixelAt(320, 180), 0xFF000000u);
    // The text became texture entry 1, drawn where its copy says.
    ASSERT_EQ(recorder().replayTextures.size(), 2u);
    EXPECT_EQ(recorder().replayTextures[1].kind, 4);
    SDL_Rect text = drawnArea(0xFF000000);
    EXPECT_EQ(text.x, 0);
    EXPECT_GT(text.x + text.w, 380);
    EXPECT_GT(text.y + text.h, 320);
}

// The renderer would scale such a copy whole into a buffer first (gigabytes, seconds):
// the player cuts it to the display without moving the picture, and leaves out a
// mirrored one.
TEST_F(RecorderTest, CopiesFarLargerThanTheDisplayAreDrawnWhereTheyShow)
{
    makeAssets(0);
    const Uint32 columns[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    SDL_Surface* picture = makeSurface(4, 4);
    for (int x = 0; x < 4; x++)
        for (int y = 0; y < 4; y++)
            setSurfacePixel(picture, x, y, columns[x]);
    writePicture("replay-columns.png", picture);
    SDL_FreeSurface(picture);
    std::string clear = command(ReplayCode::clearBlack), end = command(ReplayCode::endOfFrame);
    writeFileBytes(replayPath(1), header("2030-01-01 10:00:00")
            + command(ReplayCode::defineTexture, {1}, {"replay-columns.png"})
            + clear + command(ReplayCode::copy + 1, {0, -1000, -200, 4000, 1480}) + end
            + clear + command(ReplayCode::copyFlipped + 1, {0, 1, -4000, -4000, 8000, 8000}) + end
            + clear + command(ReplayCode::copy + 1, {0, -4000, -4000, 8000, 8000}) + end);
    ASSERT_EQ(recorder().openReplay(0, assets.get(), camera.get()), "OK");
    recorder().playFrame(*camera);
    // Columns 1 and 2 meet at x = 1000, give or take the renderer's rounding.
    EXPECT_EQ(pixelAt(0, 0), columns[1]);
    EXPECT_EQ(pixelAt(980, 1079), columns[1]);
    EXPECT_EQ(pixelAt(1020, 0), columns[2]);
    EXPECT_EQ(pixelAt(1919, 1079), columns[2]);
    recorder().playFrame(*camera);
    EXPECT_EQ(drawnArea(0xFF000000).w, 0);
    recorder().playFrame(*camera);
    EXPECT_EQ(pixelAt(960, 540), columns[2]);
}

TEST_F(RecorderTest, FastForwardSkipsFiveSecondsStillPlayingTheirSoundsAndTheDisplayCycles)
{
    ASSERT_TRUE(openMixer(64));
    writeTone("sfx/replay-tick.wav", 400);
    makeAssets(1);
    std::string bytes = header("2030-01-01 10:00:00");
    for (int frame = 0; frame < 1000; frame++) {
        if (frame % 60 == 59)
            bytes += command(ReplayCode::sound, {0}, {"replay-tick.wav"});
        bytes += command(ReplayCode::clearBlack) + command(ReplayCode::endOfFrame);
    }
    writeFileBytes(replayPath(1), bytes);
    Replay replay;
    ASSERT_EQ(replay.start(assets.get(), *camera, 0), "OK");
    EXPECT_EQ(replay.titleText->text, replayPath(1));
    for (int frame = 0; frame < 600; frame++)
        replay.draw(*camera, 0);
    EXPECT_EQ(replay.osdText->text, "Replay: RIGHT - fast forward, ESC - exit, TAB - toggle osd. 0:00:10");
    // Over the black frame, the display stands at the bottom left.
    SDL_Rect shown = drawnArea(0xFF000000);
    EXPECT_GT(shown.w, 100);
    EXPECT_LT(shown.x, 20);
    EXPECT_GT(shown.y + shown.h, screenHeight - 20);
    soundsStarted(*assets);

    SDL_Event right = keyDown(SDLK_RIGHT);
    EXPECT_TRUE(replay.onKeyDown(&right));
    EXPECT_EQ(replay.draw(*camera, 0), 301 * 2 + 5 + 2);
    EXPECT_EQ(recorder().frameCount, 901);
    EXPECT_EQ(replay.osdText->text, "Replay: RIGHT - fast forward, ESC - exit, TAB - toggle osd. 0:00:15");
    EXPECT_EQ(soundsStarted(*assets).size(), 5u);

    // Time only at once, then nothing, then everything again.
    SDL_Event tab = keyDown(SDLK_TAB);
    const std::pair<int, std::string> cycle[] = {{1, "0:00:15"}, {0, "0:00:15"},
        {2, "Replay: RIGHT - fast forward, ESC - exit, TAB - toggle osd. 0:00:15"}};
    for (const auto& [extra, text] : cycle) {
        EXPECT_TRUE(replay.onKeyDown(&tab));
        EXPECT_EQ(replay.draw(*camera, 0), 2 + extra);
        EXPECT_EQ(replay.osdText->text, text);
    }

    SDL_Event escape = keyDown(SDLK_ESCAPE);
    EXPECT_FALSE(replay.onKeyDown(&escape));
    EXPECT_EQ(recorder().mode, Recorder::modeIdle);
}

// Whatever a replay file holds, playback ends with a log line and nothing is read or
// freed that should not be.
TEST_F(RecorderTest, DamagedReplaysEndPlaybackCleanly)
{
    makeAssets(0);
    std::string good = header("2030-01-01 10:00:00") + command(ReplayCode::defineTexture, {1}, {"replay-dot.png"})
        + command(ReplayCode::defineText, {18, 0, 9999, 255, 255, 255, 255, 0}, {"main.ttf", "text"})
        + command(ReplayCode::clearBlack) + command(ReplayCode::endOfFrame);
    std::string copy = command(ReplayCode::copy + 1, {0, 0, 0, 4, 4});
    const std::pair<std::string, std::string> damaged[] = {
        {copy.substr(0, 5), "R: the file ends inside command 7"},
        {command(ReplayCode::sound, {0}, {"x.wav"}).substr(0, 6), "R: the file ends inside command 29"},
        {std::string("\x12\x01\xFF\xFF", 4), "R: bad string length in command 18"},
        {std::string("\x1D\x00\x00\x10\x00", 5) + std::string(4096, 'a'), "R: bad string length in command 29"},
        {std::string(1, '\0'), "R: UNKNOWN data type = 0"},
        {std::string(1, char(41)), "R: UNKNOWN data type = 41"},
        {std::string(1, char(255)), "R: UNKNOWN data type = 255"},
        {command(ReplayCode::copy + 3, {1}), "R: texture index out of range = 1"},
        {command(ReplayCode::alphaMod, {-1, 0}), "R: texture index out of range = -1"},
        {command(ReplayCode::drawText, {9, 0, 0, 30}), "R: text index out of range = 9"},
        {command(ReplayCode::forgetText, {-32768}), "R: text index out of range = -32768"},
        {command(ReplayCode::defineText, {0, 0, 0, 0, 0, 0, 0, 0}, {"main.ttf", "x"}),
            "R: bad font in text definition, size = 0"},
        // A picture named outside the game's folder is never looked for; its draws are skipped.
        {command(ReplayCode::defineTexture, {1}, {"../../../../etc/passwd"}) + command(ReplayCode::copy + 3, {1}),
            "REPLAY: texture not found. Index = 1"},
        // One command of 4 KB asking for a text of gigabytes.
        {command(ReplayCode::defineText, {200, 32, 0, 255, 255, 255, 255, 4}, {"main.ttf", std::string(4000, 'W')}),
            "R: text too large to draw, bytes = 4000"},
        {command(ReplayCode::defineText, {200, 32, 0, 255, 255, 255, 255, 4}, {"main.ttf", "W\x9CW"}),
            "R: text not in UTF-8, bytes = 3"},
        // The resource folder itself named as the font file: read as no font, not by its size.
        {command(ReplayCode::defineText, {24, 0, 9999, 255, 255, 255, 255, 0}, {"", "text"})
                + command(ReplayCode::drawText, {1, 0, 0, 30}),
            "I/O ERROR: Cannot read font file: "},
        // An entry of kind 4 never owns a picture of the game's, so the end frees none.
        {command(ReplayCode::defineTexture, {4}, {"replay-dot.png"}) + command(ReplayCode::copy + 3, {1}),
            "REPLAY: texture not found. Index = 1"},
    };
    for (const auto& file : damaged) {
        writeFileBytes(replayPath(1), good + file.first);
        int before = logLinesContaining(file.second);
        ASSERT_EQ(recorder().openReplay(0, assets.get(), camera.get()), "OK");
        playToTheEnd();
        EXPECT_EQ(logLinesContaining(file.second), before + 1) << file.second;
    }
    // The game's own picture is still there to draw.
    fillScreen(0xFF000000);
    SDL_Rect where{0, 0, 4, 4};
    SDL_RenderCopy(renderer, assets->getTexture("replay-dot.png")->texture, nullptr, &where);
    EXPECT_EQ(pixelAt(1, 1), 0xFFFFFFFFu);
}
