#pragma once

#include "core/AudioTest.h"
#include "core/EventHandler.h"
#include "core/MenuItem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class AssetManager;
class CachedText;

// Page ids. An item whose action equals the id of an existing page links to it.
namespace MenuPage {
constexpr int main = 1;
constexpr int settings = 2;
constexpr int keyboard = 3;
constexpr int video = 12;
constexpr int audio = 13;
constexpr int audioTest = 15;
constexpr int audioDevice = 19; // no row leads to it
constexpr int controllers = 20;
constexpr int customResolution = 29;
constexpr int replays = 42; // no row leads here
constexpr int statistics = 47; // achievements and play statistics; no row leads to it
constexpr int credits = 48;
constexpr int languages = 53;  // no row leads to it
constexpr int firstControllerModel = 56; // one page per connected controller model from here on
} // namespace MenuPage

// Action codes that are not page ids. The command codes name no page: while one is
// the current page, the main loop carries it out and the menu shows its loading panel.
namespace MenuAction {
constexpr int none = 0; // a row that only shows a value
constexpr int exitGame = 4;
constexpr int trail = 7;
constexpr int overlay = 8;
constexpr int scanline = 9;
constexpr int newGame = 10;     // command
constexpr int continueGame = 11; // command
constexpr int volume = 14;
constexpr int runAudioTest = 15;
constexpr int audioChannels = 16;
constexpr int audioFrequency = 17;
constexpr int audioBuffer = 18;
constexpr int bindKey = 21;
constexpr int bindController = 22;
constexpr int applyAudio = 24; // command: the display is rebuilt and audio reopened
constexpr int desktopResolution = 25;
constexpr int showFps = 27;
constexpr int width = 30;
constexpr int height = 31;
constexpr int applyDisplay = 32; // also the command that rebuilds the display
constexpr int windowBorder = 33;
constexpr int fullscreen = 39;
constexpr int replaysKept = 43;   // changed with left/right
constexpr int playReplay = 44;    // command
constexpr int replaySizeLimit = 45; // changed with left/right
constexpr int chooseLanguage = 54; // command: the display is rebuilt in the chosen language
constexpr int otherGames = 55;
} // namespace MenuAction

// The out-of-game menu: main menu, settings pages, controller pages and credits, over
// the scrolling title wall. Driven by fixed keys and by controllers; the mouse does nothing.
class Menu : public EventHandler {
public:
    using Page = std::vector<std::unique_ptr<MenuItem>>;
    // The replay page's rows before its first replay.
    static constexpr int firstReplayRow = 2;

    // One connected controller model on the CONTROLLERS page.
    struct ControllerEntry {
        std::string name;
        int count;
        Joystick* first;
    };

    Menu();
    ~Menu() override;

    std::map<int, Page> pages;
    int currentPage = MenuPage::main;
    int selected = 0;
    int slideOffset = 0;   // pixels added to the rows' x; eases back to 0 after a page change
    int heldDirection = 0; // -1 or +1 while a controller stick is held sideways
    int heldFrames = 0;
    bool waitingForKey = false;
    bool waitingForController = false;
    bool textEntryActive = false;
    std::string textEntry;
    MenuItem* textEntryItem = nullptr;

    int windowWidth = 1024;
    int windowHeight = 768;
    bool windowBorder = true;
    bool customFullscreen = false;
    int showFps = 0; // 0 never, 1 always, 2 if under 60
    int musicVolume = 100;
    int sfxVolume = 100;
    int audioChannels = 32;
    int audioFrequency = 22050;
    int audioBuffer = 2048;
    std::vector<std::string> languageCodes; // code of each language row; "" is English

    Camera* camera = nullptr;
    AssetManager* assets = nullptr;
    Uint32 startTime; // keys are ignored until keySettleMs after it

    std::vector<ControllerEntry> controllerEntries;
    std::map<int, Joystick*>* controllers = nullptr;

    AudioTest audioTest;
    int lastDrawnPage = 0;
    std::unique_ptr<CachedText> versionText;
    std::unique_ptr<CachedText> loadingText;
    std::unique_ptr<CachedText> creditsText;
    std::unique_ptr<CachedText> audioTestText;

    // Pages and rows.
    MenuItem* addMenu(int page, int action, const std::string& label, const std::string& value);
    void removeMenu(int page);
    MenuItem* getMenuItem(int page, int action);
    Page* findPage(int page);
    MenuItem* selectedItem();
    void reset();

    // Navigation.
    void nextMenuItem(Joystick* controller);
    void previousMenuItem(Joystick* controller);
    void checkLeftRight(int direction);
    // False only for EXIT: the program ends.
    bool selectMenuItem();
    // False when the page ends with EXIT (the main menu), where nothing happens.
    bool exitMenu();
    void goToPage(int page, int slide);
    void moveSelection(int step, Joystick* controller);

    // The menu tree and its settings.
    void init(Camera& camera, AssetManager* assets);
    void updateMenu();

    // Controllers.
    void updateJoystickMenu(std::map<int, Joystick*>* controllers);
    void setJoystickAction(const std::string& guid, const std::string& action, int code);
    Joystick* configuringJoystick(Joystick* controller);
    // The controller whose binding page is current, or none.
    Joystick* pageController();
    void updateOptionsMenuItem(int count);

    void setFocus(bool gained) override;
    int draw(Camera& camera, float dt) override;
    void onMouseMove(SDL_Event* event) override;
    bool onMouseDownLeft(SDL_Event* event) override;
    void onTextInput(SDL_Event* event) override;
    bool onKeyDown(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;
    bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level) override;
    bool onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value) override;

private:
    void buildMainPage();
    void buildCreditsPage();
    void buildSettingsPage();
    void buildAudioPages();
    void buildKeyboardPage();
    void buildVideoPage();
    void buildCustomResolutionPage();
    void buildReplaysPage();
    void stepReplayLimit(MenuItem& item, int direction);
    void loadCustomResolution();
    void buildAudioDevicePage();
    void loadAudioDevice();
    void buildStatisticsPage();
    void buildLanguagePage();
    // A row whose number steps with left and right or is typed (see numberRows).
    MenuItem* addNumberRow(int page, int action, const std::string& label);
    void showNumbers(int page);
    // A row leading back, its label already translated.
    MenuItem* addBackRow(int page, int action, const std::string& label, bool isBack);
    bool carryOut(MenuItem& item);
    void toggleSetting(MenuItem& item, const char* key, bool defaultValue);
    void stepVolume(int row, int direction);
    void stepSize(MenuItem& item, int& value, int direction);
    void startTextEntry(MenuItem& item);
    void endTextEntry(bool accept);
    void applyCustomResolution();
    void applyAudioDevice();
    void chooseLanguage();
    void useDesktopResolution();
    bool onKeyWhileWaiting(SDL_Keycode key);
    bool onTextEntryKey(SDL_Keycode key);
    bool controllerBinding(Joystick* stick, int code);
    int drawRows(Camera& camera, const Page& page, int& bottom);
    int drawPageExtras(Camera& camera, int bottom);
    int drawLoadingPanel(Camera& camera);
};

// Labels of the binding rows of the keyboard and controller pages: row i binds actionNames[i].
extern const char* const bindingLabels[7];

// One step through a list of sizes: right gives the first entry above the value, left
// the entry before the first one at or above it. Nothing changes past either end.
int stepThroughSizes(const std::vector<int>& sizes, int value, int direction);
// A typed size: its decimal value, or 0 when the text holds no number that fits.
int parseTypedSize(const std::string& text);
// The word shown for a show-FPS mode.
std::string showFpsWord(int mode);
