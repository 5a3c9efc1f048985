#include "core/Menu.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CachedTextCollection.h"
#include "core/Camera.h"
#include "core/Joystick.h"
#include "core/KeyBindings.h"
#include "core/NineSlice.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/Translator.h"

#include <algorithm>

namespace {

const int rowSpacing = 40;
const int slideStep = 60;
const int heldDirectionFrames = 10;

int firstRowY(const Camera& camera)
{
    TRACE();
    return camera.height / 2 + 10;
}

int copyPicture(AssetManager* assets, SDL_Renderer* renderer, const char* name, SDL_Rect where)
{
    TRACE();
    Texture* picture = assets->getTexture(name);
    if (!picture || !picture->texture)
        return 0;
    SDL_RenderCopy(renderer, picture->texture, nullptr, &where);
    return 1;
}

// Keys that act once per press: a held key must not select or go back again and again.
bool actsOncePerPress(SDL_Keycode key)
{
    TRACE();
    return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_RETURN2 || key == SDLK_ESCAPE;
}

} // namespace

Menu::Menu() : startTime(SDL_GetTicks())
{
    TRACE();
}

Menu::~Menu()
{
    TRACE();
    if (textEntryActive)
        SDL_StopTextInput();
}

MenuItem* Menu::addMenu(int page, int action, const std::string& label, const std::string& value)
{
    TRACE();
    Font* font = assets ? assets->getFont("main.ttf") : nullptr;
    pages[page].push_back(std::make_unique<MenuItem>(camera, font, action, label, value));
    return pages[page].back().get();
}

void Menu::removeMenu(int page)
{
    TRACE();
    auto found = pages.find(page);
    if (found == pages.end())
        return;
    for (const auto& item : found->second)
        if (item.get() == textEntryItem)
            endTextEntry(false);
    pages.erase(found);
}

MenuItem* Menu::getMenuItem(int page, int action)
{
    TRACE();
    Page* rows = findPage(page);
    if (!rows)
        return nullptr;
    for (const auto& item : *rows)
        if (item->action == action)
            return item.get();
    return nullptr;
}

Menu::Page* Menu::findPage(int page)
{
    TRACE();
    auto found = pages.find(page);
    return found == pages.end() ? nullptr : &found->second;
}

MenuItem* Menu::selectedItem()
{
    TRACE();
    Page* rows = findPage(currentPage);
    if (!rows || selected < 0 || selected >= int(rows->size()))
        return nullptr;
    return (*rows)[size_t(selected)].get();
}

void Menu::reset()
{
    TRACE();
    endTextEntry(false);
    waitingForKey = false;
    waitingForController = false;
    currentPage = MenuPage::main;
    selected = 0;
    slideOffset = 0;
}

void Menu::nextMenuItem(Joystick* controller)
{
    TRACE();
    moveSelection(1, controller);
}

void Menu::previousMenuItem(Joystick* controller)
{
    TRACE();
    moveSelection(-1, controller);
}

// Every row can be selected; moving past either end wraps around.
void Menu::moveSelection(int step, Joystick* controller)
{
    TRACE();
    Page* rows = findPage(currentPage);
    if (!rows || rows->empty())
        return;
    assets->playSound("pop31.wav", 0, 0);
    if (controller)
        controller->vibrate(4);
    int count = int(rows->size());
    selected = ((selected + step) % count + count) % count;
    (*rows)[size_t(selected)]->scale = 1.1;
}

bool Menu::selectMenuItem()
{
    TRACE();
    assets->playSound("pop41.wav", 0, 0);
    MenuItem* item = selectedItem();
    if (!item)
        return true;
    if (findPage(item->action)) {
        goToPage(item->action, item->isBack ? -500 : 500);
        return true;
    }
    return carryOut(*item);
}

bool Menu::exitMenu()
{
    TRACE();
    Page* rows = findPage(currentPage);
    if (!rows || rows->empty())
        return true;
    int target = rows->back()->action;
    if (target == MenuAction::exitGame)
        return false;
    if (findPage(target))
        goToPage(target, -500);
    return true;
}

void Menu::goToPage(int page, int slide)
{
    TRACE();
    endTextEntry(false);
    currentPage = page;
    selected = 0;
    slideOffset = slide;
    if (page == MenuPage::customResolution)
        loadCustomResolution();
    if (page == MenuPage::audioDevice)
        loadAudioDevice();
    if (page == MenuPage::languages) {
        // The page opens on the language in use.
        auto current = std::find(languageCodes.begin(), languageCodes.end(), translator().languageCode);
        if (current != languageCodes.end())
            selected = int(current - languageCodes.begin());
    }
}

void Menu::setFocus(bool gained)
{
    TRACE();
    if (gained)
        assets->fadeInMusic(0, 1000, 500);
}

void Menu::onMouseMove(SDL_Event* event)
{
    TRACE();
}

bool Menu::onMouseDownLeft(SDL_Event* event)
{
    TRACE();
    return true;
}

void Menu::onTextInput(SDL_Event* event)
{
    TRACE();
    if (!textEntryActive || !textEntryItem)
        return;
    textEntry += event->text.text;
    textEntryItem->setPlainValueText(textEntry);
}

bool Menu::onKeyDown(SDL_Event* event)
{
    TRACE();
    SDL_Keycode key = event->key.keysym.sym;
    bool repeated = event->key.repeat != 0;
    if (SDL_GetTicks() - startTime < keySettleMs)
        return true;
    if (waitingForKey) {
        // A key still held from selecting the row is not the one being asked for.
        if (!repeated)
            onKeyWhileWaiting(key);
        return true;
    }
    if (repeated && actsOncePerPress(key))
        return true;
    if (waitingForController && key == SDLK_ESCAPE) {
        waitingForController = false;
        MenuItem* item = selectedItem();
        Joystick* stick = pageController();
        if (item && stick && selected < 8)
            item->setValueText(stick->describeInput(stick->bindingFor(actionNames[selected])));
        return true;
    }
    if (textEntryActive)
        return onTextEntryKey(key);
    switch (key) {
    case SDLK_RIGHT:
        checkLeftRight(1);
        break;
    case SDLK_LEFT:
        checkLeftRight(-1);
        break;
    case SDLK_DOWN:
        nextMenuItem(nullptr);
        break;
    case SDLK_UP:
        previousMenuItem(nullptr);
        break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_RETURN2:
        return selectMenuItem();
    case SDLK_ESCAPE:
        exitMenu();
        break;
    default:
        break;
    }
    return true;
}

int Menu::draw(Camera& camera, float dt)
{
    TRACE();
    SDL_Renderer* renderer = camera.renderer;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    int copies = assets->titleScreen.draw(camera, dt);
    const int W = camera.width, H = camera.height;
    // The wall is busy: a veil over it keeps the rows readable.
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 120);
    SDL_RenderFillRect(renderer, nullptr);

    slideOffset = slideOffset > 0 ? std::max(0, slideOffset - slideStep) : std::min(0, slideOffset + slideStep);
    if (heldDirection != 0 && ++heldFrames > heldDirectionFrames) {
        heldFrames = 0;
        checkLeftRight(heldDirection);
    }
    if (currentPage == MenuPage::audioTest && lastDrawnPage != MenuPage::audioTest)
        audioTest.start();
    audioTest.update();
    lastDrawnPage = currentPage;

    copies += copyPicture(assets, renderer, "logo.png", {W / 2 - 300, H / 2 - 210, 560, 201});
    versionText->draw(W / 2 + 160, H / 2 - 64);
    copies += 1 + copyPicture(assets, renderer, "orvando.png", {W - 170, H - 118, 150, 108});

    Page* rows = findPage(currentPage);
    if (!rows)
        return copies + drawLoadingPanel(camera);
    int bottom = 0;
    copies += drawRows(camera, *rows, bottom);
    return copies + drawPageExtras(camera, bottom);
}

// Draws the rows and returns the copies made; `bottom` is where the last row ends.
int Menu::drawRows(Camera& camera, const Page& page, int& bottom)
{
    TRACE();
    const int x = camera.width / 2 - 230 + slideOffset;
    int widestLabel = 0, widestValue = 0;
    for (const auto& item : page) {
        widestLabel = std::max(widestLabel, item->labelText->getWidth());
        widestValue = std::max(widestValue, item->valueText->getWidth());
    }
    const int valueX = x + widestLabel + 30;
    Texture* arrows = assets->getTexture("minimap.png");
    int copies = 0;
    int y = firstRowY(camera);
    for (size_t row = 0; row < page.size(); row++, y += rowSpacing) {
        MenuItem& item = *page[row];
        CachedText& label = int(row) == selected ? *item.selectedText : *item.labelText;
        item.shadowText->draw(x + 2, y + 3);
        if (item.scale > 1.0)
            label.drawZoomed(x, y, float(item.scale));
        else
            label.draw(x, y);
        item.valueText->draw(valueX, y);
        copies += 3;
        if (!item.imageName.empty() && arrows && arrows->texture) {
            SDL_Rect source = item.arrowSource();
            SDL_Rect where{valueX + item.valueText->getWidth(), y + (item.valueText->getHeight() - 23) / 2, 23, 23};
            SDL_RenderCopy(camera.renderer, arrows->texture, &source, &where);
            copies++;
        }
        if (textEntryActive && &item == textEntryItem) {
            SDL_SetRenderDrawColor(camera.renderer, 255, 255, 255, 255);
            SDL_RenderDrawLine(camera.renderer, valueX - 15, y + 39, valueX + widestValue + 15, y + 39);
        }
        if (item.scale > 1.0)
            item.scale = std::max(1.0, item.scale - 0.02);
    }
    bottom = y;
    return copies;
}

int Menu::drawLoadingPanel(Camera& camera)
{
    TRACE();
    const int x = camera.width / 2 - 250, y = camera.height / 2 - 150;
    int copies = 0;
    Texture* panel = assets->getTexture("overlay.png");
    if (panel && panel->texture)
        copies += drawNineSlice(camera.renderer, panel->texture, x, y, 500, 300, 930, 930, 70, 70);
    loadingText->draw(x + 250 - loadingText->getWidth() / 2, y + 150 - loadingText->getHeight() / 2);
    return copies + 1;
}

int Menu::drawPageExtras(Camera& camera, int bottom)
{
    TRACE();
    const int x = camera.width / 2 - 230 + slideOffset;
    CachedTextCollection* hints = assets->getCachedTexts("menuhint");
    switch (currentPage) {
    case MenuPage::credits:
        creditsText->draw(x, bottom + 50);
        return 1;
    case MenuPage::audioTest:
        audioTestText->setTextWrapped(audioTest.report, 1000);
        audioTestText->draw(x, bottom + 50);
        return 1;
    case MenuPage::audio:
        if (hints)
            hints->getText(translator().translate(
                "To change the volume use the left and right arrow keys or move the controller stick."), 600)
                ->draw(x, bottom + 50);
        return 1;
    case MenuPage::customResolution:
        if (hints)
            hints->getText(translator().translate("Hint: if the desired resolution isn't listed, instead of moving to "
                                                  "the left or right, press enter on the width or height menu item and "
                                                  "then enter the desired number manually"), 600)
                ->draw(x, bottom + 30);
        return 1;
    default:
        return 0;
    }
}
