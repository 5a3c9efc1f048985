#pragma once

#include "core/Camera.h"
#include "core/DebugScreen.h"
#include "core/ErrorMessageHandler.h"
#include "core/Game.h"
#include "core/GfxChangeScreen.h"
#include "core/Menu.h"
#include "core/Replay.h"

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

class AssetManager;
class CachedText;
class Joystick;

// The application for one display pass: it owns the screens and the camera, runs the
// frames and decides which screen is current.
class Main {
public:
    // A controller axis change waiting to be delivered; see `loop`.
    struct PendingAxis {
        int instanceId;
        Uint8 axis;
        int level;
        int state; // 2 nothing pending, 1 deliver after this frame's events, 0 after the next frame's
    };

    Main(SDL_Renderer* renderer, int width, int height, std::map<int, Joystick*>* controllers, AssetManager* assets);
    virtual ~Main();

    Camera camera;
    AssetManager* assets;
    Menu menu;
    Game game;
    Replay replay;
    DebugScreen debugScreen;
    GfxChangeScreen gfxChangeScreen;
    ErrorMessageHandler* errorHandler = nullptr;
    EventHandler* currentHandler = nullptr;
    SDL_Renderer* renderer;
    std::map<int, Joystick*>* controllers;
    bool showLog = false;
    CachedText* logText = nullptr;
    int crashBudget = 50;
    CachedText* fpsText = nullptr;
    bool pixelPerfect = true;
    bool running = true;
    bool recordNextGame = false; // the next game started is recorded as a replay
    int startReplay = 0;         // a replay to play as the pass starts, 1 = newest; 0 none
    bool displayApplied = false; // the pass ended for a display mode chosen in the menu

    Uint32 lastTicks = 0;
    Uint32 frameMs = 0;
    Uint32 windowMs = 0;
    int windowFrames = 0;
    float fps = 0;
    std::vector<PendingAxis> pendingAxes;

    void init();
    bool run(bool confirmDisplayMode);
    bool loop();
    void switchEventHandler(EventHandler* next);
    Joystick* getStick(int instanceId);
    void showErrorMessage(const std::string& text);
    // The crash guard's decision: true when the game carries on with the next frame.
    bool writeCrashReport();

private:
    bool handleEvent(SDL_Event& event, bool& leave);
    bool handleAxis(const SDL_JoyAxisEvent& event, bool& leave);
    void deliverPendingAxes(bool& leave);
    void controllerAdded(int deviceIndex);
    void controllerRemoved(int instanceId);
    bool handleMenuRequest();
    void playReplay(int entry);
    void resizeView(int width, int height);
    void leaveScreen();
    void drawFrameRate(int blits);
    void drawLog();
    void updateFrameStatistics(int blits);
};
