#pragma once

#include "core/EventHandler.h"
#include "core/GameMenuItem.h"
#include "core/KeyBindings.h"
#include "core/PlayStatistics.h"
#include "core/World.h"
#include "core/WorldEvents.h"

#include <SDL.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class AssetManager;
class CachedText;
class CachedTextCollection;
class Font;
struct Achievement;

// The game screen: a text-mode machine monitor showing the memory world around the
// player's bit in binary and as code page 437 characters, the registers and the
// running program, with the pause menu, the saving message and the achievement popups
// drawn over it. It owns the world and runs one game from the story to the escape.
class Game : public EventHandler, public WorldEvents {
public:
    // The pause menu's rows.
    static constexpr int continueRow = 0;
    static constexpr int musicRow = 1;
    static constexpr int sfxRow = 2;
    static constexpr int saveAndExitRow = 3;
    // The grid always has room for this many cells.
    static constexpr int minimumColumns = 131;
    static constexpr int minimumRows = 37;

    Game();
    ~Game() override;

    World world;

    Camera* camera = nullptr;
    AssetManager* assets = nullptr;
    std::map<int, Joystick*>* controllers = nullptr;
    KeyBindings keyBindings{};
    bool shiftHeld = false;

    // The text grid, from measureFont.
    int fontSize = 0;
    int cellWidth = 8;
    int cellHeight = 16;
    int rows = minimumRows;
    int columns = minimumColumns;
    int originX = 0;
    int originY = 0;
    std::map<int, SDL_Point> measuredSizes; // font size -> cell width and height
    std::map<int, SDL_Texture*> glyphSheets; // font size -> the 256 glyphs, 16 by 16
    std::map<int, std::unique_ptr<CachedTextCollection>> labelTexts; // font size -> white labels
    SDL_Texture* glyphSheet = nullptr;       // of the current size
    CachedTextCollection* labels = nullptr;  // of the current size

    // Effects.
    float scanlineTimer = 0;
    float blinkTimer = 0;
    int pulse = 165;
    float openingTimer = 0;
    bool showTrace = true;
    bool showOverlay = true;
    bool showScanline = false;
    std::vector<std::pair<int, int>> highlights; // addresses named by the listing, while ITEM is held

    // Pause menu.
    std::unique_ptr<CachedText> pauseTitle;
    std::vector<std::unique_ptr<GameMenuItem>> menuItems;
    std::unique_ptr<CachedText> savingText;
    int selectedItem = 0;
    int arrowFrames = 0;
    bool leaveRequested = false; // SAVE AND EXIT was chosen during this event

    PlayStatistics playStatistics;

    bool popupShowing = false;
    int mapStart = 0; // first memory column of the character map

    bool init(Camera& camera, AssetManager* assets, std::map<int, Joystick*>* controllers, bool newGame);
    void measureFont();
    void pause();
    bool selectMenu();
    void exitGame();
    bool saveGame(const std::string& path);
    bool loadGame(const std::string& path);
    void onJoyConnected(Joystick* stick, bool connected);

    // Controller input, as the game's actions.
    int joy2input(Joystick* stick, int code) const;
    void processJoyPressed(Joystick* stick, int code);
    void processJoyReleased(Joystick* stick, int code);

    // Losing the focus saves the play time gathered since the last save.
    void setFocus(bool gained) override;
    int draw(Camera& camera, float dt) override;
    // The mouse and text input mean nothing to the game: the base ignores them.
    bool onKeyDown(SDL_Event* event) override;
    void onKeyUp(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;
    bool onJoyButtonUp(Joystick* stick, Uint8 button) override;
    bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level) override;
    bool onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value) override;

    // What the world asks of the screen.
    void playSound(const std::string& name, int limit) override;
    void fadeOutMusic(int milliseconds) override;
    void startArmedRecording() override;
    void openPauseMenu() override;
    void pauseMenuInput(int code, int device) override;
    void closePauseMenu() override;
    void loadLevel() override;
    void playerChangedCode() override;
    void cellWritten(Realm& page, int x, int y) override;
    void tapTaken() override;

    // Screen position of a grid cell.
    int cellX(int column) const;
    int cellY(int row) const;
    // The character map: how many bytes it shows, and the first memory column shown.
    int characterMapWidth() const;
    int characterMapStart();

private:
    void readSettings();
    void buildPauseMenu();
    void updateVolumeLabels();
    void changeVolume(int row, int delta);
    // Leaves the event's verdict: false once SAVE AND EXIT was chosen.
    bool takeLeaveVerdict();

    // Drawing. Every draw returns the number of copies it made.
    Font* gridFont(int size);
    SDL_Point measureCell(int size);
    void buildGlyphSheet(int size);
    int drawPlayfield(float dt);
    int drawGlyph(int column, int row, int glyph, SDL_Color colour, int shiftX = 0);
    // Numbers and program text: plain ASCII from the glyph sheet.
    int drawString(int column, int row, const std::string& text, SDL_Color colour);
    // The screen's texts, translated.
    CachedText* labelText(const std::string& english);
    int labelCells(const std::string& english);
    int drawLabel(int column, int row, const std::string& english, SDL_Color colour);
    int drawHex(int column, int row, int byte, SDL_Color colour);
    int drawBinary(int column, int row, int byte, bool withPlayer, SDL_Color colour, int shiftX);
    int drawMemoryView(int top);
    int drawCharacterMap(int top, float dt);
    int drawListing();
    int drawInformationPanel();
    int drawStripes();
    int drawPicture(const char* name, const SDL_Rect& where);
    int drawPanel(int x, int y, int w, int h);
    void shade(const SDL_Rect& area, int alpha);
    int drawPauseMenu();
    int drawSavingMessage();
    int drawAchievementPopups();
    int drawPopup(const Achievement& achievement, int slot);
    int registerColumn() const;
    SDL_Color playerColour() const;
};
