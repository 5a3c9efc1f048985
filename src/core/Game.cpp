#include "core/Game.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CachedTextCollection.h"
#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Joystick.h"
#include "core/Recorder.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

namespace {

const int vibrationNone = 4;
const int vibrationSelect = 2;

int sideOf(int level)
{
    TRACE();
    return (level > 0) - (level < 0);
}

// The four directions of a hat, as SDL's hat bits and as the game's actions.
const std::pair<int, int> hatDirections[] = {
    {SDL_HAT_UP, GameInput::up}, {SDL_HAT_RIGHT, GameInput::right}, {SDL_HAT_DOWN, GameInput::down},
    {SDL_HAT_LEFT, GameInput::left}};

} // namespace

Game::Game()
    : world(*this)
{
    TRACE();
}

Game::~Game()
{
    TRACE();
    for (auto& sheet : glyphSheets) {
        recorder().forgetTexture(sheet.second);
        SDL_DestroyTexture(sheet.second);
    }
}

bool Game::init(Camera& camera, AssetManager* assets, std::map<int, Joystick*>* controllers, bool newGame)
{
    TRACE();
    LOG("Game::init()");
    this->camera = &camera;
    this->assets = assets;
    this->controllers = controllers;
    measureFont();

    // A game starts on clean memory: nothing of the previous game's marks stays.
    world.mainPage.clear();
    world.secondPage.clear();
    world.resetState();
    openingTimer = 0;
    mapStart = 0;
    selectedItem = 0;
    leaveRequested = false;
    shiftHeld = false;

    readSettings();
    buildPauseMenu();
    world.addBuiltInTriggers();
    if (newGame) {
        PlayStatistics::countNewGame(settingsStorage());
        saveSettings();
    } else {
        // Whatever the saved game does not restore comes from the level itself.
        world.loadLevel(dataPath("ram.txt"), dataPath("ram2.txt"));
        if (!loadGame(prefPath() + "savegame.storage"))
            LOG("WARNING: The saved game was not fully restored; the rest is as the level starts");
        world.levelLoaded = true;
    }
    world.markTriggers();
    assets->fadeInMusic(2, 1000, 800);
    assets->titleScreen.reset();
    return true;
}

void Game::setFocus(bool gained)
{
    TRACE();
    if (!gained && playStatistics.takeUnsaved())
        saveSettings();
}

void Game::readSettings()
{
    TRACE();
    Storage& settings = settingsStorage();
    resetKeyBindings(keyBindings);
    loadKeyBindings(keyBindings, settings);
    showTrace = settings.getInt("trace", 1) != 0;
    showOverlay = settings.getInt("overlay", 1) != 0;
    showScanline = settings.getInt("scanline", 0) != 0;
    recorder().replayNumberLimit = settings.getInt("replayNumberLimit", 0);
    recorder().replaySizeLimit = settings.getInt("replaySizeLimit", 2000);
    if (assets->achievements)
        assets->achievements->loadWords(true);
}

void Game::buildPauseMenu()
{
    TRACE();
    if (menuItems.empty()) {
        Font* font = assets->getFont("main.ttf");
        Texture* arrowPicture = assets->getTexture("arrow.png");
        SDL_Texture* arrow = arrowPicture ? arrowPicture->texture : nullptr;
        Translator& words = translator();
        pauseTitle = std::make_unique<CachedText>(camera, font, GameMenuItem::normalColour, "");
        pauseTitle->shadowOffset = GameMenuItem::shadowOffset;
        pauseTitle->setText(words.translate("GAME PAUSED"));
        savingText = std::make_unique<CachedText>(camera, font, GameMenuItem::normalColour, "");
        savingText->shadowOffset = GameMenuItem::shadowOffset;
        savingText->setText(words.translate("Saving data..."));
        const char* labels[] = {"CONTINUE PLAYING", "", "", "SAVE AND EXIT"};
        for (int row = continueRow; row <= saveAndExitRow; row++)
            menuItems.push_back(
                std::make_unique<GameMenuItem>(camera, font, arrow, row, words.translate(labels[row])));
    }
    // The volumes may have changed in the settings since the last game.
    updateVolumeLabels();
}

void Game::updateVolumeLabels()
{
    TRACE();
    Translator& words = translator();
    menuItems[musicRow]->setLabel(Translator::replaceHash(
        words.translate("music volume: < #% >", "music volume for in-game menu"), assets->musicVolume));
    menuItems[sfxRow]->setLabel(Translator::replaceHash(
        words.translate("sfx volume: < #% >", "sound effects volume for in-game menu"), assets->sfxVolume));
}

void Game::pause()
{
    TRACE();
    // Nothing to pause during the story or the escape; a menu there could save a game
    // that has no level yet over the player's saved game.
    if (!world.levelLoaded || world.endTimer > 0)
        return;
    selectedItem = continueRow;
    world.pauseMenuOpen = true;
}

bool Game::selectMenu()
{
    TRACE();
    LOG("Game::selectMenu() CH = " << selectedItem);
    if (selectedItem == continueRow) {
        world.pauseMenuOpen = false;
    } else if (selectedItem == saveAndExitRow) {
        world.pauseMenuOpen = false;
        exitGame();
        return false;
    }
    return true;
}

void Game::exitGame()
{
    TRACE();
    recorder().stop();
    // The save takes a moment: show the message first.
    SDL_SetRenderDrawColor(camera->renderer, 0, 0, 0, 255);
    recorder().clear(camera->renderer);
    drawPlayfield(0);
    drawSavingMessage();
    SDL_RenderPresent(camera->renderer);
    saveGame(prefPath() + "savegame.storage");
    assets->titleScreen.reset();
}

void Game::onJoyConnected(Joystick* stick, bool connected)
{
    TRACE();
    LOG("Game: controller " << (connected ? "connected" : "disconnected"));
    if (connected || !world.levelLoaded || world.pauseMenuOpen || world.endTimer > 0)
        return;
    // A controller that is gone never lets go of its directions: stop and wait.
    world.processInputReleased(GameInput::left, 0);
    world.processInputReleased(GameInput::right, 0);
    world.processInputReleased(GameInput::up, 0);
    world.processInputReleased(GameInput::down, 0);
    pause();
}

bool Game::takeLeaveVerdict()
{
    TRACE();
    bool stay = !leaveRequested;
    leaveRequested = false;
    return stay;
}

// --- Keyboard ---------------------------------------------------------------

bool Game::onKeyDown(SDL_Event* event)
{
    TRACE();
    SDL_Keycode key = event->key.keysym.sym;
    if (key == SDLK_LSHIFT || key == SDLK_RSHIFT)
        shiftHeld = true;
    int code = key2input(keyBindings, key, world.pauseMenuOpen);
    // A held key repeats: directions may repeat (the menu's volume rows follow them),
    // but a held Escape must not open and close the menu over and over.
    bool direction = code >= GameInput::up && code <= GameInput::right;
    if (code != GameInput::none && (!event->key.repeat || direction))
        world.processInputPressed(code, 0);
    return takeLeaveVerdict();
}

void Game::onKeyUp(SDL_Event* event)
{
    TRACE();
    SDL_Keycode key = event->key.keysym.sym;
    if (key == SDLK_LSHIFT || key == SDLK_RSHIFT)
        shiftHeld = false;
    int code = key2input(keyBindings, key, world.pauseMenuOpen);
    if (code != GameInput::none)
        world.processInputReleased(code, 0);
}

// --- Controllers ------------------------------------------------------------

int Game::joy2input(Joystick* stick, int code) const
{
    TRACE();
    if (code == 0)
        return GameInput::none;
    if (code == stick->attack)
        return GameInput::attack;
    if (code == stick->up)
        return GameInput::up;
    if (code == stick->down)
        return GameInput::down;
    if (code == stick->left)
        return GameInput::left;
    if (code == stick->right)
        return GameInput::right;
    if (code == stick->item)
        return GameInput::item;
    if (code == stick->pause)
        return GameInput::pause;
    // The pad's own d-pad moves as well as whatever the directions are bound to.
    if (code == stick->dpadCode(0, -1))
        return GameInput::up;
    if (code == stick->dpadCode(0, 1))
        return GameInput::down;
    if (code == stick->dpadCode(-1, 0))
        return GameInput::left;
    if (code == stick->dpadCode(1, 0))
        return GameInput::right;
    return GameInput::none;
}

void Game::processJoyPressed(Joystick* stick, int code)
{
    TRACE();
    int input = joy2input(stick, code);
    bool axis = code >= axisCode(0, -1);
    if (world.pauseMenuOpen && input == GameInput::none) {
        // The menu also follows every hat, whatever it is bound to.
        bool hat = code >= hatCode(0, 0) && !axis;
        for (const auto& direction : hatDirections)
            if (hat && code % 10 == direction.first)
                input = direction.second;
    }
    if (input == GameInput::none)
        return;
    if (world.pauseMenuOpen && !axis) {
        if (input == GameInput::up || input == GameInput::down)
            stick->vibrate(vibrationNone);
        else if (input == GameInput::attack)
            stick->vibrate(vibrationSelect);
    }
    world.processInputPressed(input, stick->instanceId() + 100);
}

void Game::processJoyReleased(Joystick* stick, int code)
{
    TRACE();
    int input = joy2input(stick, code);
    if (input != GameInput::none)
        world.processInputReleased(input, stick->instanceId() + 100);
}

bool Game::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    processJoyPressed(stick, buttonCode(button));
    return takeLeaveVerdict();
}

bool Game::onJoyButtonUp(Joystick* stick, Uint8 button)
{
    TRACE();
    processJoyReleased(stick, buttonCode(button));
    return true;
}

bool Game::onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level)
{
    TRACE();
    int before = sideOf(previousLevel);
    int after = sideOf(level);
    if (before == after)
        return true;
    if (before != 0)
        processJoyReleased(stick, axisCode(axis, before));
    if (after != 0)
        processJoyPressed(stick, axisCode(axis, after));
    return takeLeaveVerdict();
}

bool Game::onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value)
{
    TRACE();
    for (const auto& direction : hatDirections)
        if ((previousValue & direction.first) && !(value & direction.first))
            processJoyReleased(stick, hatCode(hat, direction.first));
    for (const auto& direction : hatDirections)
        if ((value & direction.first) && !(previousValue & direction.first))
            processJoyPressed(stick, hatCode(hat, direction.first));
    return takeLeaveVerdict();
}

// --- What the world asks ----------------------------------------------------

void Game::playSound(const std::string& name, int limit)
{
    TRACE();
    if (assets)
        assets->playSound(name, 0, limit);
}

void Game::fadeOutMusic(int milliseconds)
{
    TRACE();
    if (assets)
        assets->fadeOutMusic(milliseconds, 0);
}

void Game::startArmedRecording()
{
    TRACE();
    if (recorder().mode != Recorder::modeArmed)
        return;
    recorder().mode = Recorder::modeRecording;
    // The theme started with the game plays on: the replay starts it too.
    if (assets && !assets->musicName.empty())
        recorder().recordMusic(assets->musicName, 0, 0);
}

void Game::openPauseMenu()
{
    TRACE();
    pause();
}

void Game::closePauseMenu()
{
    TRACE();
    selectedItem = continueRow;
}

void Game::pauseMenuInput(int code, int device)
{
    TRACE();
    switch (code) {
    case GameInput::up:
    case GameInput::down:
        playSound("pop31.wav", 5);
        selectedItem = std::max(continueRow, std::min(saveAndExitRow, selectedItem + (code == GameInput::up ? -1 : 1)));
        if (!menuItems.empty())
            menuItems[size_t(selectedItem)]->scale = 1.1;
        break;
    case GameInput::left:
    case GameInput::right:
        changeVolume(selectedItem, code == GameInput::left ? -2 : 2);
        break;
    case GameInput::attack:
        if (selectedItem == musicRow || selectedItem == sfxRow) {
            playSound("disabled.wav", 5);
        } else {
            playSound("select.wav", 5);
            if (!selectMenu())
                leaveRequested = true;
        }
        break;
    case GameInput::item:
        if (device != 0)
            world.pauseMenuOpen = false;
        break;
    default:
        break;
    }
}

void Game::changeVolume(int row, int delta)
{
    TRACE();
    if (!assets || (row != musicRow && row != sfxRow))
        return;
    if (row == musicRow)
        assets->changeMusicVolume(assets->musicVolume, delta);
    else
        assets->changeSfxVolume(assets->sfxVolume, delta);
    updateVolumeLabels();
    playSound(row == musicRow ? "tik.wav" : "select.wav", 5);
}

void Game::loadLevel()
{
    TRACE();
    LOG("Game::loadLevel()");
    world.loadLevel(dataPath("ram.txt"), dataPath("ram2.txt"));
    openingTimer = 0;
}

void Game::playerChangedCode()
{
    TRACE();
    if (assets && assets->achievements)
        assets->achievements->unlock("HACKER");
}

void Game::cellWritten(Realm& page, int x, int y)
{
    TRACE();
    // The screen draws memory as it is in every frame.
}

void Game::tapTaken()
{
    TRACE();
    // Where every tap led: a report of a stuck game can be walked through again.
    LOG("Tap -> " << world.stateText());
}
