// The game's costs against what SDL and the disk themselves need, measured side by side
// in one run at 1920 x 1080 on the software renderer. Prints rows of the table that
// scripts/bench shows (figure, game, floor, ratio, goal, verdict; tab-separated):
// - a frame of the game, the pause menu, the main menu and the story against a bare
//   loop that makes the same SDL calls, captured from one frame of it;
// - the busy game frame against a bare loop of 3819 coloured glyph copies from one
//   sheet, the copies that frame asked SDL for before it skipped what cannot be seen;
// - texts rendered in the frames after each screen's first, over every menu page, the
//   whole story and the whole level played by its solution script;
// - saving and continuing against writing (with fsync and rename) and reading the same
//   bytes with one call each;
// - the asset manager's estimate of texture memory after that whole game.
// --save-screens DIR draws representative screens into DIR as PNG pictures;
// --compare-screens DIR draws them again and compares them with those pictures pixel
// for pixel: a change that makes drawing cheaper must leave every one equal.
// With "frames", "texts" or "saving" it measures that part alone.
// --draw SCREEN N draws one of those screens N times, for a profiler (callgrind with
// --toggle-collect='Game::draw(Camera&, float)' counts the game's frames alone).
#include "BenchSupport.h"
#include "SdlCalls.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/Camera.h"
#include "core/Game.h"
#include "core/LevelCheck.h"
#include "core/Menu.h"
#include "core/Realm.h"
#include "core/UserFiles.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const int screenWidth = 1920;
const int screenHeight = 1080;
const float frame = 1.0f / 60;
// The copies the busy frame made before it learnt to skip what nobody sees.
const int busyFrameCopiesBefore = 3819;

// --- Clocks and the table ---------------------------------------------------------

double cpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double wallMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Pair {
    double game;
    double floor;
};

// Times `game` and `floor` in alternating blocks, so that both see the same load on a
// busy machine; the medians of the blocks, per call.
Pair sideBySide(const std::function<void()>& game, const std::function<void()>& floor, int blocks, int calls,
    double (*clock)())
{
    std::vector<double> games, floors;
    for (int block = 0; block < blocks; block++) {
        for (int which = 0; which < 2; which++) {
            const std::function<void()>& work = which == 0 ? game : floor;
            double start = clock();
            for (int i = 0; i < calls; i++)
                work();
            (which == 0 ? games : floors).push_back((clock() - start) / calls);
        }
    }
    return Pair{median(games), median(floors)};
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void row(const std::string& figure, const std::string& game, const std::string& floor, const std::string& ratio,
    const std::string& goal, bool met)
{
    const char* verdict = goal.empty() ? "-" : met ? "met" : "MISSED";
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), game.c_str(), floor.c_str(), ratio.c_str(), goal.c_str(),
        verdict);
    std::fflush(stdout);
}

void ratioRow(const std::string& figure, Pair pair, double goal)
{
    double ratio = pair.game / pair.floor;
    row(figure, format("%.2f ms", pair.game), format("%.2f ms", pair.floor), format("%.2f", ratio),
        format("<= %.2f", goal), ratio <= goal);
}

// --- The screens ---------------------------------------------------------------------

// The menu and the game screen at 1920 x 1080, drawing with one renderer.
struct Screens {
    Camera camera;
    AssetManager assets;
    AchievementManager achievements;
    std::map<int, Joystick*> controllers;
    Game game;
    Menu menu;

    explicit Screens(SDL_Renderer* renderer)
        : camera(renderer, screenWidth, screenHeight)
        , assets(renderer, 0)
    {
        assets.camera = &camera;
        assets.achievements = &achievements;
        assets.loadStartupFonts(&camera);
        menu.init(camera, &assets);
        menu.updateJoystickMenu(&controllers);
        game.init(camera, &assets, &controllers, true);
    }

    SDL_Renderer* renderer() { return camera.renderer; }
};

void showMenuPage(Screens& screens, int page)
{
    screens.menu.reset();
    screens.menu.currentPage = page;
    screens.assets.titleScreen.reset();
    screens.menu.draw(screens.camera, frame);
}

// The story at `sinceZoom` seconds after the zoom into the wall ended (negative: before it).
void showStory(Screens& screens, float timer, double zoom, double zoomRate, float sinceZoom)
{
    TitleScreen& title = screens.assets.titleScreen;
    title.reset();
    screens.game.world.levelLoaded = false;
    title.timer = timer;
    title.zoom = zoom;
    title.zoomRate = zoomRate;
    title.scrollY = 0;
    if (sinceZoom >= 0) {
        title.zoomDoneTime = timer - sinceZoom;
        title.shaken = sinceZoom > 9.5f;
    }
    screens.game.draw(screens.camera, 0);
}

// The level as a new game finds it, uncovered, with the effects at rest.
void startLevel(Screens& screens)
{
    Game& game = screens.game;
    game.init(screens.camera, &screens.assets, &screens.controllers, true);
    game.loadLevel();
    game.openingTimer = 2;
    game.blinkTimer = 0.5f;
    game.scanlineTimer = 0.5f;
}

// Every byte of the main page filled, a third of them with a fresh trail, and a program
// running: every cell of the screen has something to draw.
void fillMemory(Screens& screens)
{
    startLevel(screens);
    World& world = screens.game.world;
    for (int index = 0; index < Realm::size * Realm::size; index++) {
        Cell& cell = world.mainPage.cells[size_t(index)];
        cell.value = uint8_t(33 + index % 90);
        cell.marks = index % 3 == 0 ? Realm::trailMark : 0;
        cell.fade = 100;
    }
    world.playerX = 100;
    world.playerY = 100;
    world.programLocation = 120 * 256 + 90;
}

std::vector<SolutionTap> solutionTaps()
{
    std::vector<SolutionTap> taps;
    std::string error;
    if (!readSolution(VANTREL_TEST_SOURCE_DIR "docs/solution.txt", taps, error))
        std::printf("cannot read the solution: %s\n", error.c_str());
    return taps;
}

// The busiest view of the level as a player sees it: the way out, walls all round and
// the program that opens it running, reached by the solution script up to its last tap,
// with the trail of the steps there.
void nearTheExit(Screens& screens)
{
    startLevel(screens);
    std::vector<SolutionTap> taps = solutionTaps();
    for (size_t i = 0; i + 1 < taps.size(); i++)
        playTap(screens.game.world, taps[i]);
}

void drawGame(Screens& screens)
{
    screens.game.draw(screens.camera, 0);
}

// A representative screen: its name, and how to bring it about and draw it.
struct Sight {
    const char* name;
    std::function<void(Screens&)> show;
};

std::vector<Sight> sights()
{
    return {
        {"menu-main", [](Screens& s) { showMenuPage(s, MenuPage::main); }},
        {"menu-settings", [](Screens& s) { showMenuPage(s, MenuPage::settings); }},
        {"menu-keyboard", [](Screens& s) { showMenuPage(s, MenuPage::keyboard); }},
        {"menu-loading", [](Screens& s) { showMenuPage(s, MenuAction::newGame); }},
        {"story-first-line", [](Screens& s) { showStory(s, 3.0f, 0.7, 0, -1); }},
        {"story-zooming", [](Screens& s) { showStory(s, 8.0f, 2.1, 0.4, -1); }},
        {"story-explosion", [](Screens& s) { showStory(s, 30.0f, 3.5, 0, 9.3f); }},
        {"story-zooming-out", [](Screens& s) { showStory(s, 40.0f, 2.6, -0.22, 19.5f); }},
        {"story-wipe", [](Screens& s) { showStory(s, 50.0f, 0.7, -0.22, 28.2f); }},
        {"game-start", [](Screens& s) { startLevel(s), drawGame(s); }},
        {"game-opening", [](Screens& s) { startLevel(s), s.game.openingTimer = 0.8f, drawGame(s); }},
        {"game-busy", [](Screens& s) { fillMemory(s), drawGame(s); }},
        {"game-exit", [](Screens& s) { nearTheExit(s), drawGame(s); }},
        {"game-effects",
            [](Screens& s) {
                fillMemory(s);
                World& world = s.game.world;
                s.game.showScanline = true;
                world.mainPage.cell(101, 101).marks = Realm::bumpMark;
                world.mainPage.cell(101, 101).fade = 60;
                world.mainPage.cell(98, 99).marks = Realm::triggerMark;
                world.hintState = 0;
                s.game.blinkTimer = 1.4f;
                drawGame(s);
            }},
        {"game-register",
            [](Screens& s) {
                startLevel(s);
                s.game.world.playerLocation = PlayerLocation::dataRegister;
                s.game.world.programLocation = 0x21 * 256 + 0x4f;
                drawGame(s);
            }},
        {"game-second-page",
            [](Screens& s) {
                startLevel(s);
                s.game.world.playerPage = World::secondPageNumber;
                s.game.world.playerX = 40;
                s.game.world.playerY = 30;
                drawGame(s);
            }},
        {"game-paused",
            [](Screens& s) {
                fillMemory(s);
                s.game.pause();
                s.game.arrowFrames = 9;
                drawGame(s);
            }},
        {"game-popup",
            [](Screens& s) {
                startLevel(s);
                s.achievements.achievements[0].popupCounter = 150;
                s.achievements.popupActive = true;
                drawGame(s);
                s.achievements.achievements[0].popupCounter = 0;
                s.achievements.popupActive = false;
            }},
        {"game-ending", [](Screens& s) { startLevel(s), s.game.world.endTimer = 0.7f, drawGame(s); }},
    };
}

std::vector<Uint32> readScreen(Screens& screens)
{
    std::vector<Uint32> pixels(size_t(screenWidth) * screenHeight);
    SDL_RenderReadPixels(screens.renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), screenWidth * 4);
    return pixels;
}

// Keeps (`save`) or compares the representative screens; false when one differs.
bool screenshots(const std::string& folder, bool save)
{
    SoftwareScreen target(screenWidth, screenHeight);
    Screens screens(target.renderer);
    bool same = true;
    std::filesystem::create_directories(folder);
    for (const Sight& sight : sights()) {
        sight.show(screens);
        std::vector<Uint32> pixels = readScreen(screens);
        std::string path = folder + "/" + sight.name + ".png";
        if (save) {
            SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), screenWidth, screenHeight, 32,
                screenWidth * 4, SDL_PIXELFORMAT_ARGB8888);
            IMG_SavePNG(picture, path.c_str());
            SDL_FreeSurface(picture);
            std::printf("kept %s\n", path.c_str());
            continue;
        }
        SDL_Surface* loaded = IMG_Load(path.c_str());
        SDL_Surface* before = loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
        SDL_FreeSurface(loaded);
        if (!before) {
            std::printf("%-20s no picture to compare with: %s\n", sight.name, path.c_str());
            same = false;
            continue;
        }
        int differing = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < screenHeight; y++) {
            const Uint32* old = reinterpret_cast<const Uint32*>(static_cast<Uint8*>(before->pixels) + y * before->pitch);
            for (int x = 0; x < screenWidth; x++) {
                // The pictures keep no alpha: compare the colours.
                if ((old[x] ^ pixels[size_t(y) * screenWidth + x]) & 0xffffff) {
                    if (differing++ == 0)
                        firstX = x, firstY = y;
                }
            }
        }
        SDL_FreeSurface(before);
        if (differing == 0)
            std::printf("%-20s the same\n", sight.name);
        else
            std::printf("%-20s %d pixels differ, the first at %d,%d\n", sight.name, differing, firstX, firstY);
        same = same && differing == 0;
    }
    return same;
}

// Draws one representative screen again and again, for a profiler.
bool drawRepeatedly(const std::string& name, int times)
{
    SoftwareScreen target(screenWidth, screenHeight);
    Screens screens(target.renderer);
    for (const Sight& sight : sights()) {
        if (sight.name != name)
            continue;
        for (int i = 0; i < times; i++)
            sight.show(screens);
        return true;
    }
    std::printf("no screen called %s\n", name.c_str());
    return false;
}

// --- Frames against the same SDL calls -------------------------------------------------

const int frameBlocks = 15;
const int framesPerBlock = 4;

// Draws a screen a few times (pictures loaded, texts rendered), captures the SDL calls of
// one frame and times drawing against making those calls straight.
Pair againstItsCalls(Screens& screens, const std::function<void()>& draw, int* calls = nullptr)
{
    SDL_Renderer* renderer = screens.renderer();
    for (int i = 0; i < 3; i++)
        draw();
    SdlCalls::capture();
    draw();
    std::vector<SdlCalls::Call> captured = SdlCalls::stop();
    if (calls)
        *calls = int(captured.size());
    return sideBySide([&] { draw(), SDL_RenderFlush(renderer); },
        [&] { SdlCalls::replay(captured), SDL_RenderFlush(renderer); }, frameBlocks, framesPerBlock, cpuMs);
}

// As many glyph copies as the busy frame made, full cells from the game's glyph sheet,
// each with its colour, over the grid.
std::vector<SdlCalls::Call> glyphCopies(Screens& screens)
{
    const Game& game = screens.game;
    const SDL_Color colours[] = {{0, 204, 0, 255}, {136, 153, 136, 255}, {170, 200, 0, 255}};
    std::vector<SdlCalls::Call> calls;
    for (int i = 0; i < busyFrameCopiesBefore; i++) {
        SdlCalls::Call colour{};
        colour.op = SdlCalls::Op::colourMod;
        colour.texture = game.glyphSheet;
        colour.r = colours[i % 3].r, colour.g = colours[i % 3].g, colour.b = colours[i % 3].b;
        calls.push_back(colour);
        int glyph = 33 + i % 90;
        SdlCalls::Call copy{};
        copy.op = SdlCalls::Op::copy;
        copy.renderer = screens.renderer();
        copy.texture = game.glyphSheet;
        copy.hasSource = copy.hasTarget = true;
        copy.source = SDL_Rect{(glyph % 16) * game.cellWidth, (glyph / 16) * game.cellHeight, game.cellWidth,
            game.cellHeight};
        int column = i % game.columns, gridRow = i / game.columns;
        copy.target = SDL_Rect{game.cellX(column), game.cellY(gridRow), game.cellWidth, game.cellHeight};
        calls.push_back(copy);
    }
    return calls;
}

void measureFrames()
{
    SoftwareScreen target(screenWidth, screenHeight);
    Screens screens(target.renderer);
    SDL_Renderer* renderer = target.renderer;

    std::vector<SdlCalls::Call> glyphs = glyphCopies(screens);
    const std::pair<const char*, void (*)(Screens&)> busyViews[] = {
        {"the way out, the level's busiest view", nearTheExit}, {"every byte filled", fillMemory}};
    for (const auto& view : busyViews) {
        view.second(screens);
        int copies = screens.game.draw(screens.camera, 0);
        std::string name = std::string("game frame, ") + view.first + " (" + std::to_string(copies) + " copies)";
        ratioRow(name + ": draw vs its SDL calls", againstItsCalls(screens, [&] { drawGame(screens); }), 1.1);
        Pair glyphFloor = sideBySide([&] { drawGame(screens), SDL_RenderFlush(renderer); },
            [&] { SdlCalls::replay(glyphs), SDL_RenderFlush(renderer); }, frameBlocks, framesPerBlock, cpuMs);
        ratioRow(name + ": draw vs 3819 glyph copies", glyphFloor, 1.0);
    }
    // What the stripes over the grid cost: every pixel under them blended each frame.
    nearTheExit(screens);
    screens.game.showOverlay = false;
    Pair plain = sideBySide([&] { drawGame(screens), SDL_RenderFlush(renderer); },
        [&] { SdlCalls::replay(glyphs), SDL_RenderFlush(renderer); }, frameBlocks, framesPerBlock, cpuMs);
    row("game frame, the way out, without the stripes: draw vs 3819 glyph copies", format("%.2f ms", plain.game),
        format("%.2f ms", plain.floor), format("%.2f", plain.game / plain.floor), "", true);
    screens.game.showOverlay = true;

    screens.game.pause();
    Pair paused = againstItsCalls(screens, [&] { drawGame(screens); });
    ratioRow("game frame, pause menu over it: draw vs its SDL calls", paused, 1.1);

    showMenuPage(screens, MenuPage::main);
    Pair menu = againstItsCalls(screens, [&] { screens.menu.draw(screens.camera, 0); });
    ratioRow("menu frame: draw vs its SDL calls", menu, 1.25);

    showStory(screens, 30.0f, 3.5, 0, 9.3f);
    Pair story = againstItsCalls(screens, [&] { drawGame(screens); });
    ratioRow("story frame, the explosion: draw vs its SDL calls", story, 1.25);
}

// --- Texts after a screen's first frame --------------------------------------------

// Draws a screen's first frame, then `next` until it says the screen is over; the texts
// rendered after the first frame and the frames drawn.
struct TextCount {
    int texts = 0;
    int frames = 0;
};

TextCount textsAfterFirstFrame(const std::function<void()>& first, const std::function<bool()>& next)
{
    first();
    int before = SdlCalls::textRenders();
    TextCount count;
    while (next())
        count.frames++;
    count.texts = SdlCalls::textRenders() - before;
    return count;
}

void textRow(const std::string& figure, TextCount count)
{
    row(figure, format("%.3f", double(count.texts) / std::max(1, count.frames)), "0",
        std::to_string(count.texts) + " in " + std::to_string(count.frames), "0", count.texts == 0);
}

// Every menu page, the whole story and the whole level played by its solution script,
// on a one-pixel target. Returns the asset manager's texture estimate after it all.
long measureTexts()
{
    SoftwareScreen target(1, 1);
    Screens screens(target.renderer);
    Camera& camera = screens.camera;
    Game& game = screens.game;

    TextCount menu;
    for (auto& page : screens.menu.pages) {
        int id = page.first;
        int frames = 0;
        TextCount count = textsAfterFirstFrame([&] { showMenuPage(screens, id); },
            [&] { return frames++ < 30 && screens.menu.draw(camera, frame) >= 0; });
        menu.texts += count.texts;
        menu.frames += count.frames;
    }
    textRow("texts rendered per frame after the first: menu pages", menu);

    game.init(camera, &screens.assets, &screens.controllers, true);
    TextCount story = textsAfterFirstFrame([&] { game.draw(camera, frame); }, [&] {
        game.draw(camera, frame);
        return !screens.assets.titleScreen.isFinished();
    });
    textRow("texts rendered per frame after the first: story", story);

    std::vector<SolutionTap> taps = solutionTaps();
    World& world = game.world;
    size_t next = 0;
    int held = 0;
    bool paused = false;
    TextCount play = textsAfterFirstFrame([&] { startLevel(screens), drawGame(screens); }, [&] {
        // A tap: pressed for one frame, released for the next; the pause menu opened
        // and closed halfway.
        if (held != 0) {
            world.processInputReleased(held, 0);
            held = 0;
        } else if (next < taps.size() && world.endTimer == 0) {
            if (next == taps.size() / 2 && !paused)
                game.pause(), paused = true;
            else if (world.pauseMenuOpen)
                world.pauseMenuOpen = false;
            else
                world.processInputPressed(held = taps[next++].code, 0);
        }
        game.draw(camera, frame);
        return world.endTimer < 2.2f && (next < taps.size() || held != 0);
    });
    textRow("texts rendered per frame after the first: the level played through", play);
    if (world.endTimer == 0)
        std::printf("the solution script did not reach the exit\n");
    return screens.assets.totalTextureBytes;
}

// --- Saving and continuing -----------------------------------------------------------

bool writeDurably(const std::string& path, const std::string& bytes)
{
    std::string partial = path + ".partial";
    int file = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0)
        return false;
    bool ok = write(file, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && fsync(file) == 0;
    ok = close(file) == 0 && ok && std::rename(partial.c_str(), path.c_str()) == 0;
    std::string folder = path.substr(0, path.find_last_of('/') + 1);
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return ok;
}

std::string readWhole(const std::string& path)
{
    std::string bytes(std::filesystem::file_size(path), '\0');
    int file = open(path.c_str(), O_RDONLY);
    ssize_t got = read(file, bytes.data(), bytes.size());
    close(file);
    bytes.resize(size_t(std::max<ssize_t>(got, 0)));
    return bytes;
}

void measureSaving()
{
    SoftwareScreen target(1, 1);
    Screens screens(target.renderer);
    startLevel(screens);
    Game& game = screens.game;
    std::string path = prefPath() + "savegame.storage";
    std::string copyPath = prefPath() + "copy.storage";
    game.saveGame(path);
    std::string bytes = readWhole(path);

    Pair save = sideBySide([&] { game.saveGame(path); }, [&] { writeDurably(copyPath, bytes); }, 9, 1, wallMs);
    double ratio = save.game / save.floor;
    row("save: saveGame (" + format("%.1f MB", bytes.size() / 1e6) + ") vs write, fsync, rename",
        format("%.1f ms", save.game), format("%.1f ms", save.floor), format("%.2f", ratio), "<= 2.00", ratio <= 2);

    Pair load = sideBySide([&] { game.loadGame(path); }, [&] { readWhole(path); }, 9, 1, wallMs);
    row("continue: loadGame vs reading the file in one call", format("%.1f ms", load.game),
        format("%.1f ms", load.floor), format("%.1f", load.game / load.floor), "<= 10 ms", load.game <= 10);
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 2 ? argv[1] : "";
    // The per-user folder beside the build: on the disk a player's folder is on, where
    // fsync costs what it costs them (a /tmp in memory would make it free).
    char folder[] = "vantrel-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::printf("cannot make a per-user folder\n");
        return 1;
    }
    std::string home = std::filesystem::absolute(folder).string();
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
        std::printf("cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    int result = 0;
    if (mode == "--save-screens" || mode == "--compare-screens") {
        result = screenshots(argv[2], mode == "--save-screens") ? 0 : 1;
    } else if (mode == "--draw") {
        result = drawRepeatedly(argv[2], argc > 3 ? std::atoi(argv[3]) : 1) ? 0 : 1;
    } else {
        // A part alone: frames, texts or saving.
        std::string part = argc > 1 ? argv[1] : "";
        if (part.empty() || part == "frames")
            measureFrames();
        if (part.empty() || part == "texts") {
            long textureBytes = measureTexts();
            row("texture memory, the asset manager's estimate after the level",
                format("%.1f MiB", textureBytes / 1048576.0), "", "", "", true);
        }
        if (part.empty() || part == "saving")
            measureSaving();
    }
    TTF_Quit();
    SDL_Quit();
    std::filesystem::remove_all(home);
    return result;
}
