// The menu tree: every page and row, what each row does, and the settings they keep.

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/AudioSetup.h"
#include "core/CachedText.h"
#include "core/CircularLog.h"
#include "core/Contact.h"
#include "core/KeyBindings.h"
#include "core/Menu.h"
#include "core/PlayStatistics.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sstream>

namespace {

const std::vector<int> widthSteps{1024, 1136, 1152, 1280, 1360, 1366, 1367, 1440, 1536, 1600, 1680, 1776, 1792, 1856,
    1920};
const std::vector<int> heightSteps{720, 768, 800, 854, 864, 900, 960, 1000, 1024, 1050, 1080};
const std::vector<int> channelSteps{8, 16, 24, 32, 48, 64};
const std::vector<int> frequencySteps{11025, 22050, 32000, 44100, 48000};
const std::vector<int> bufferSteps{256, 512, 1024, 2048, 4096, 8192};
const std::vector<int> replayCounts{1, 2, 3, 4, 5, 6, 7, 8, 9};
const std::vector<int> replaySizes{10, 20, 50, 100, 200, 500, 1000, 2000}; // megabytes

// The rows holding a number: left and right step through the row's list, and a typed
// number is taken when it lies in the row's range. The audio device's ranges are what
// the mixer opens; more channels than the game tracks would never be used.
struct NumberRow {
    int action;
    int Menu::*value;
    const std::vector<int>* steps;
    int smallest, largest;
};

const NumberRow numberRows[] = {{MenuAction::width, &Menu::windowWidth, &widthSteps, 101, INT_MAX},
    {MenuAction::height, &Menu::windowHeight, &heightSteps, 101, INT_MAX},
    {MenuAction::audioChannels, &Menu::audioChannels, &channelSteps, 1, AssetManager::channelCount},
    {MenuAction::audioFrequency, &Menu::audioFrequency, &frequencySteps, 8000, 96000},
    {MenuAction::audioBuffer, &Menu::audioBuffer, &bufferSteps, 256, 8192}};

const NumberRow* numberRow(int action)
{
    TRACE();
    for (const NumberRow& row : numberRows)
        if (row.action == action)
            return &row;
    return nullptr;
}

const char* const backArrow = "\xE2\x97\x84 "; // U+25C4 and a space

std::string tr(const std::string& english, const std::string& context = "")
{
    TRACE();
    return translator().translate(english, context);
}

std::string yesNo(bool value)
{
    TRACE();
    return tr(value ? "yes" : "no");
}

std::string borderWord(bool visible)
{
    TRACE();
    return tr(visible ? "visible" : "hidden");
}

std::string percent(int volume)
{
    TRACE();
    return std::to_string(volume) + "%";
}

// The key an action answers to: the stored name, or the game's own default when none
// is stored, as the game reads it.
std::string storedKeyName(const std::string& action)
{
    TRACE();
    std::string stored = settingsStorage().getString("key" + action, "");
    if (!stored.empty())
        return stored;
    KeyBindings defaults;
    resetKeyBindings(defaults);
    const std::pair<const char*, int> slots[] = {{"LEFT", KeySlot::left}, {"RIGHT", KeySlot::right},
        {"UP", KeySlot::up}, {"DOWN", KeySlot::down}, {"ATTACK", KeySlot::attack}, {"ITEM", KeySlot::item}};
    for (const auto& slot : slots)
        if (action == slot.first)
            return keyName(defaults[size_t(slot.second)]);
    return "";
}

// Replays kept, as the page shows it: 0 keeps all nine.
int replaysKept()
{
    TRACE();
    int kept = settingsStorage().getInt("replayNumberLimit", 0);
    return kept >= 1 && kept <= 9 ? kept : 9;
}

std::string megabytes(int size)
{
    TRACE();
    return std::to_string(size) + " MB";
}

bool saveGameExists()
{
    TRACE();
    FILE* file = std::fopen((prefPath() + "savegame.storage").c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

const char* const bindingLabels[7] = {"MOVE LEFT :", "MOVE RIGHT:", "MOVE UP   :", "MOVE DOWN :", "PAGE FLIP :",
    "SHOW HINTS:", "PAUSE     :"};

int stepThroughSizes(const std::vector<int>& sizes, int value, int direction)
{
    TRACE();
    if (direction > 0) {
        for (int size : sizes)
            if (size > value)
                return size;
    } else if (direction < 0) {
        for (size_t i = 0; i < sizes.size(); i++)
            if (sizes[i] >= value)
                return i > 0 ? sizes[i - 1] : value;
    }
    return value;
}

int parseTypedSize(const std::string& text)
{
    TRACE();
    std::istringstream stream(text);
    int value = 0;
    // A number too large for an int fails to read, like no number at all.
    if (!(stream >> value))
        return 0;
    return value;
}

std::string showFpsWord(int mode)
{
    TRACE();
    if (mode == 1)
        return tr("always");
    if (mode == 2)
        return tr("if under 60");
    return tr("never");
}

void Menu::init(Camera& camera, AssetManager* assets)
{
    TRACE();
    this->camera = &camera;
    this->assets = assets;
    Storage& settings = settingsStorage();
    showFps = settings.getInt("showFPS2", 0);
    if (showFps < 0 || showFps > 2)
        showFps = 0;
    musicVolume = std::clamp(settings.getInt("musicVolume2", 100), 0, 100);
    sfxVolume = std::clamp(settings.getInt("sfxVolume2", 100), 0, 100);
    loadCustomResolution();

    versionText = std::make_unique<CachedText>(&camera, assets->getFont("chat"), colourWhite,
        "v" + std::to_string(VANTREL_VERSION_MAJOR * 100 + VANTREL_VERSION_MINOR * 10 + VANTREL_VERSION_PATCH));
    loadingText = std::make_unique<CachedText>(&camera, assets->getFont("main.ttf"), colourWhite, tr("LOADING..."));
    creditsText = std::make_unique<CachedText>(&camera, assets->getFont("twentyone"), colourWhite, "");
    creditsText->shadowOffset = 2;
    creditsText->setTextWrapped(tr("PROGRAMMING, GRAPHICS, GAME DESIGN") + "\nOrvando\n\n" + tr("MUSIC") + "\n"
            + tr("Music and sound synthesized in code by Orvando"),
        1000);
    audioTestText = std::make_unique<CachedText>(&camera, assets->getFont("twentyone"), colourWhite, "");
    audioTestText->shadowOffset = 2;

    pages.clear();
    buildMainPage();
    buildCreditsPage();
    buildSettingsPage();
    buildAudioPages();
    buildKeyboardPage();
    buildVideoPage();
    buildCustomResolutionPage();
    buildAudioDevicePage();
    buildLanguagePage();
    updateMenu();
}

MenuItem* Menu::addBackRow(int page, int action, const std::string& label, bool isBack)
{
    TRACE();
    MenuItem* item = addMenu(page, action, backArrow + label, "");
    item->isBack = isBack;
    return item;
}

void Menu::buildMainPage()
{
    TRACE();
    addMenu(MenuPage::main, MenuAction::newGame, tr("PLAY NEW GAME"), "");
    addMenu(MenuPage::main, MenuPage::settings, tr("SETTINGS"), "");
    addMenu(MenuPage::main, MenuPage::credits, tr("CREDITS"), "");
    addMenu(MenuPage::main, MenuAction::otherGames, tr("CHECK OUT MY OTHER GAMES"), "");
    addMenu(MenuPage::main, MenuAction::exitGame, tr("EXIT", "exit the game"), "")->isBack = true;
}

void Menu::buildCreditsPage()
{
    TRACE();
    addBackRow(MenuPage::credits, MenuPage::main, tr("BACK"), true);
}

void Menu::buildSettingsPage()
{
    TRACE();
    addMenu(MenuPage::settings, MenuPage::video, tr("VIDEO"), "");
    addMenu(MenuPage::settings, MenuPage::audio, tr("AUDIO"), "");
    addMenu(MenuPage::settings, MenuPage::keyboard, tr("KEYBOARD"), "");
    addMenu(MenuPage::settings, MenuPage::controllers, tr("CONTROLLERS", "configure joysticks and other controllers"),
        "");
    addBackRow(MenuPage::settings, MenuPage::main, tr("BACK"), true);
}

void Menu::buildAudioPages()
{
    TRACE();
    if (assets->soundEnabled) {
        MenuItem* music = addMenu(MenuPage::audio, MenuAction::volume, tr("MUSIC VOLUME"), "");
        music->selector = 110;
        music->setValueText(percent(musicVolume));
        MenuItem* effects = addMenu(MenuPage::audio, MenuAction::volume, tr("SOUND EFFECTS VOLUME"), "");
        effects->selector = 110;
        effects->setValueText(percent(sfxVolume));
    } else {
        addMenu(MenuPage::audio, MenuAction::runAudioTest, tr("Run audio test"), "");
    }
    addBackRow(MenuPage::audio, MenuPage::settings, tr("BACK"), false);
    addBackRow(MenuPage::audioTest, MenuPage::audio, tr("BACK"), true);
}

void Menu::buildKeyboardPage()
{
    TRACE();
    // Pause is always Escape on the keyboard: it has no row here.
    for (size_t row = 0; row < 6; row++)
        addMenu(MenuPage::keyboard, MenuAction::bindKey, tr(bindingLabels[row]), storedKeyName(actionNames[row]));
    addBackRow(MenuPage::keyboard, MenuPage::settings, tr("BACK"), true);
}

void Menu::buildVideoPage()
{
    TRACE();
    Storage& settings = settingsStorage();
    addMenu(MenuPage::video, MenuAction::desktopResolution, tr("USE DESKTOP RESOLUTION"), "");
    addMenu(MenuPage::video, MenuPage::customResolution, tr("SET CUSTOM RESOLUTION..."), "");
    addMenu(MenuPage::video, MenuAction::overlay, tr("Show overlay graphics"), yesNo(settings.getBool("overlay", true)));
    addMenu(MenuPage::video, MenuAction::trail, tr("Show trail effect"), yesNo(settings.getBool("trace", true)));
    addMenu(MenuPage::video, MenuAction::scanline, tr("Show scan line"), yesNo(settings.getBool("scanline", false)));
    addMenu(MenuPage::video, MenuAction::showFps, tr("Show FPS"), showFpsWord(showFps));
    addBackRow(MenuPage::video, MenuPage::settings, tr("BACK"), true);
}

void Menu::buildCustomResolutionPage()
{
    TRACE();
    const int page = MenuPage::customResolution;
    addMenu(page, MenuAction::fullscreen, tr("FULLSCREEN"), yesNo(customFullscreen));
    addNumberRow(page, MenuAction::width, tr("WIDTH"));
    addNumberRow(page, MenuAction::height, tr("HEIGHT"));
    addMenu(page, MenuAction::windowBorder, tr("WINDOW BORDER"), borderWord(windowBorder));
    addBackRow(page, MenuAction::applyDisplay, tr("APPLY"), false);
    addBackRow(page, MenuPage::video, tr("CANCEL"), true);
}

// The custom resolution page starts from the stored settings each time it is
// entered, so what CANCEL left behind is not shown again.
void Menu::loadCustomResolution()
{
    TRACE();
    Storage& settings = settingsStorage();
    windowWidth = settings.getInt("windowW", 1024);
    windowHeight = settings.getInt("windowH", 768);
    windowBorder = settings.getBool("windowBorder", true);
    customFullscreen = settings.getBool("fullscreenModified", false);
    const int page = MenuPage::customResolution;
    if (MenuItem* item = getMenuItem(page, MenuAction::fullscreen))
        item->setValueText(yesNo(customFullscreen));
    showNumbers(page);
    if (MenuItem* item = getMenuItem(page, MenuAction::windowBorder))
        item->setValueText(borderWord(windowBorder));
}

MenuItem* Menu::addNumberRow(int page, int action, const std::string& label)
{
    TRACE();
    MenuItem* item = addMenu(page, action, label, "");
    item->selector = 100;
    item->setValueText(std::to_string(this->*numberRow(action)->value));
    return item;
}

void Menu::showNumbers(int page)
{
    TRACE();
    for (const NumberRow& row : numberRows)
        if (MenuItem* item = getMenuItem(page, row.action))
            item->setValueText(std::to_string(this->*row.value));
}

// Audio device options; APPLY reopens audio with them in a new display pass. Like
// the custom resolution, the page starts from the stored settings when entered.
void Menu::buildAudioDevicePage()
{
    TRACE();
    const int page = MenuPage::audioDevice;
    loadAudioDevice();
    addNumberRow(page, MenuAction::audioChannels, tr("Audio channels"));
    addNumberRow(page, MenuAction::audioFrequency, tr("Audio frequency"));
    addNumberRow(page, MenuAction::audioBuffer, tr("Audio buffer size"));
    addBackRow(page, MenuAction::applyAudio, tr("APPLY"), false);
    addBackRow(page, MenuPage::audio, tr("CANCEL"), true);
}

void Menu::loadAudioDevice()
{
    TRACE();
    AudioDevice device = storedAudioDevice(settingsStorage());
    audioChannels = device.channels;
    audioFrequency = device.frequency;
    audioBuffer = device.buffer;
    showNumbers(MenuPage::audioDevice);
}

void Menu::applyAudioDevice()
{
    TRACE();
    Storage& settings = settingsStorage();
    settings.setInt("audioChannels", audioChannels);
    settings.setInt("audioFreq", audioFrequency);
    settings.setInt("audioBuffer", audioBuffer);
    saveSettings();
    LOG("Applying audio device: " << audioChannels << " channels, " << audioFrequency << " Hz, buffer "
                                  << audioBuffer);
    currentPage = MenuAction::applyAudio;
}

// Each achievement with its state, then the play statistics. Rebuilt by updateMenu,
// so it is up to date after every game.
void Menu::buildStatisticsPage()
{
    TRACE();
    const int page = MenuPage::statistics;
    removeMenu(page);
    if (AchievementManager* achievements = assets->achievements) {
        for (const Achievement& achievement : achievements->achievements) {
            bool unlocked = achievements->hasAchievement(achievement.id, false);
            addMenu(page, MenuAction::none, achievement.name, unlocked ? achievement.notice : tr("locked"));
        }
    }
    Storage& settings = settingsStorage();
    addMenu(page, MenuAction::none, tr("Games played"), std::to_string(std::max(0, settings.getInt("gamesPlayed", 0))));
    addMenu(page, MenuAction::none, tr("Time played"), playTimeText(settings.getInt("secondsPlayed", 0)));
    addBackRow(page, MenuPage::main, tr("BACK"), true);
}

// English and every language of the translator's table that has a translation file.
void Menu::buildLanguagePage()
{
    TRACE();
    const int page = MenuPage::languages;
    Translator& words = translator();
    languageCodes.clear();
    languageCodes.push_back("");
    for (const std::string& code : Translator::languageCodes())
        if (Translator::hasTranslationFile(code))
            languageCodes.push_back(code);
    for (const std::string& code : languageCodes) {
        std::string name = code.empty() ? "English" : words.languageName(code);
        addMenu(page, MenuAction::chooseLanguage, name, code == words.languageCode ? tr("current") : "");
    }
    addBackRow(page, MenuPage::settings, tr("BACK"), true);
}

void Menu::chooseLanguage()
{
    TRACE();
    if (selected < 0 || selected >= int(languageCodes.size()))
        return;
    const std::string& code = languageCodes[size_t(selected)];
    settingsStorage().setString("lang", code);
    saveSettings();
    LOG("Language chosen: [" << code << "]");
    currentPage = MenuAction::chooseLanguage;
}

// The replay page: the two limits, then one row per replay file, newest first.
void Menu::buildReplaysPage()
{
    TRACE();
    const int page = MenuPage::replays;
    removeMenu(page);
    MenuItem* kept = addMenu(page, MenuAction::replaysKept, tr("Number of replays to keep"), "");
    kept->selector = 110;
    kept->setValueText(std::to_string(replaysKept()));
    MenuItem* size = addMenu(page, MenuAction::replaySizeLimit, tr("File size limit per replay"), "");
    size->selector = 110;
    size->setValueText(megabytes(settingsStorage().getInt("replaySizeLimit", 2000)));
    auto replays = replayListing();
    for (auto replay = replays.rbegin(); replay != replays.rend(); ++replay)
        addMenu(page, MenuAction::playReplay, tr("Replay: ") + replay->first, "");
    addBackRow(page, MenuPage::main, tr("BACK"), true);
}

void Menu::stepReplayLimit(MenuItem& item, int direction)
{
    TRACE();
    Storage& settings = settingsStorage();
    if (item.action == MenuAction::replaysKept) {
        int kept = stepThroughSizes(replayCounts, replaysKept(), direction);
        settings.setInt("replayNumberLimit", kept);
        item.setValueText(std::to_string(kept));
    } else {
        int size = stepThroughSizes(replaySizes, settings.getInt("replaySizeLimit", 2000), direction);
        settings.setInt("replaySizeLimit", size);
        item.setValueText(megabytes(size));
    }
    saveSettings();
}

void Menu::updateMenu()
{
    TRACE();
    buildReplaysPage();
    buildStatisticsPage();
    Page* main = findPage(MenuPage::main);
    if (!main || getMenuItem(MenuPage::main, MenuAction::continueGame) || !saveGameExists())
        return;
    addMenu(MenuPage::main, MenuAction::continueGame, tr("CONTINUE"), "");
    std::rotate(main->begin(), main->end() - 1, main->end());
}

bool Menu::carryOut(MenuItem& item)
{
    TRACE();
    Storage& settings = settingsStorage();
    switch (item.action) {
    case MenuAction::exitGame:
        return false;
    case MenuAction::trail:
        toggleSetting(item, "trace", true);
        break;
    case MenuAction::overlay:
        toggleSetting(item, "overlay", true);
        break;
    case MenuAction::scanline:
        toggleSetting(item, "scanline", false);
        break;
    case MenuAction::newGame:
    case MenuAction::continueGame:
    case MenuAction::playReplay:
        currentPage = item.action;
        break;
    case MenuAction::bindKey:
        waitingForKey = true;
        item.setValueText(tr("press a key"));
        break;
    case MenuAction::bindController:
        waitingForController = true;
        item.setValueText(tr("move stick or press a button"));
        break;
    case MenuAction::desktopResolution:
        settings.setBool("needConfirmGfxChange", true);
        settings.setBool("fullscreenAutodetect", false);
        settings.setBool("fullscreen", true);
        saveSettings();
        currentPage = MenuAction::applyDisplay;
        break;
    case MenuAction::showFps:
        showFps = (showFps + 1) % 3;
        item.setValueText(showFpsWord(showFps));
        settings.setInt("showFPS2", showFps);
        saveSettings();
        break;
    case MenuAction::width:
    case MenuAction::height:
    case MenuAction::audioChannels:
    case MenuAction::audioFrequency:
    case MenuAction::audioBuffer:
        startTextEntry(item);
        break;
    case MenuAction::applyAudio:
        applyAudioDevice();
        break;
    case MenuAction::chooseLanguage:
        chooseLanguage();
        break;
    case MenuAction::applyDisplay:
        applyCustomResolution();
        break;
    case MenuAction::windowBorder:
        windowBorder = !windowBorder;
        item.setValueText(borderWord(windowBorder));
        break;
    case MenuAction::fullscreen:
        customFullscreen = !customFullscreen;
        item.setValueText(yesNo(customFullscreen));
        break;
    case MenuAction::otherGames:
        openPage(otherGamesPage);
        break;
    default:
        break;
    }
    return true;
}

void Menu::toggleSetting(MenuItem& item, const char* key, bool defaultValue)
{
    TRACE();
    Storage& settings = settingsStorage();
    bool value = !settings.getBool(key, defaultValue);
    settings.setBool(key, value);
    saveSettings();
    item.setValueText(yesNo(value));
}

void Menu::applyCustomResolution()
{
    TRACE();
    Storage& settings = settingsStorage();
    settings.setBool("fullscreenAutodetect", false);
    settings.setBool("fullscreen", false);
    settings.setBool("windowBorder", windowBorder);
    settings.setBool("fullscreenModified", customFullscreen);
    if (customFullscreen)
        settings.setBool("needConfirmGfxChange", true);
    settings.setInt("windowW", windowWidth);
    settings.setInt("windowH", windowHeight);
    saveSettings();
    LOG("Applying display mode " << windowWidth << " x " << windowHeight << (customFullscreen ? " fullscreen" : "")
                                 << (windowBorder ? "" : " borderless"));
    currentPage = MenuAction::applyDisplay;
}

void Menu::checkLeftRight(int direction)
{
    TRACE();
    if (direction != 0)
        assets->playSound("select_name.wav", 0, 0);
    MenuItem* item = selectedItem();
    if (!item)
        return;
    if (currentPage == MenuPage::audio && item->action == MenuAction::volume) {
        if (selected == 0) {
            assets->changeMusicVolume(musicVolume, 2 * direction);
            item->setValueText(percent(musicVolume));
        } else {
            assets->changeSfxVolume(sfxVolume, 2 * direction);
            item->setValueText(percent(sfxVolume));
        }
    } else if (currentPage == MenuPage::replays
        && (item->action == MenuAction::replaysKept || item->action == MenuAction::replaySizeLimit)) {
        stepReplayLimit(*item, direction);
    } else if (const NumberRow* row = numberRow(item->action)) {
        int& value = this->*row->value;
        value = stepThroughSizes(*row->steps, value, direction);
        item->setValueText(std::to_string(value));
    }
}

void Menu::startTextEntry(MenuItem& item)
{
    TRACE();
    textEntryActive = true;
    textEntryItem = &item;
    textEntry.clear();
    item.setPlainValueText(textEntry);
    SDL_StartTextInput();
}

// Ends typing a number; `accept` takes the typed number when it is in the row's range.
void Menu::endTextEntry(bool accept)
{
    TRACE();
    if (!textEntryActive)
        return;
    SDL_StopTextInput();
    textEntryActive = false;
    MenuItem* item = textEntryItem;
    textEntryItem = nullptr;
    if (!item)
        return;
    const NumberRow* row = numberRow(item->action);
    if (!row)
        return;
    int& value = this->*row->value;
    int typed = parseTypedSize(textEntry);
    if (accept && typed >= row->smallest && typed <= row->largest)
        value = typed;
    item->setPlainValueText(std::to_string(value));
}

bool Menu::onTextEntryKey(SDL_Keycode key)
{
    TRACE();
    switch (key) {
    case SDLK_ESCAPE:
        endTextEntry(false);
        break;
    case SDLK_BACKSPACE:
        // Whole characters go, never half of one.
        while (!textEntry.empty() && (textEntry.back() & 0xC0) == 0x80)
            textEntry.pop_back();
        if (!textEntry.empty())
            textEntry.pop_back();
        if (textEntryItem)
            textEntryItem->setPlainValueText(textEntry);
        break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        endTextEntry(true);
        break;
    default:
        break;
    }
    return true;
}

bool Menu::onKeyWhileWaiting(SDL_Keycode key)
{
    TRACE();
    waitingForKey = false;
    MenuItem* item = selectedItem();
    if (!item || selected < 0 || selected >= 8)
        return true;
    std::string action = actionNames[selected];
    if (key == SDLK_ESCAPE) {
        item->setValueText(storedKeyName(action));
        return true;
    }
    std::string name = keyName(key);
    item->setValueText(name);
    settingsStorage().setString("key" + action, name);
    saveSettings();
    return true;
}
