// The menu's controller side: controller input on every page, the CONTROLLERS page
// and one binding page per connected controller model.

#include "core/CircularLog.h"
#include "core/Joystick.h"
#include "core/KeyBindings.h"
#include "core/Menu.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

namespace {

// Generic pads share a name: the GUID's digits tell them apart.
std::string controllerName(const Joystick& stick)
{
    TRACE();
    std::string name = stick.name;
    if (name.compare(0, 7, "Generic") != 0)
        return name;
    name += " ";
    for (char c : stick.guidString)
        if (c != '0')
            name += c;
    return name;
}

} // namespace

void Menu::updateJoystickMenu(std::map<int, Joystick*>* controllers)
{
    TRACE();
    this->controllers = controllers;
    if (currentPage >= MenuPage::firstControllerModel) {
        currentPage = MenuPage::controllers;
        waitingForController = false;
    }
    if (currentPage == MenuPage::controllers)
        selected = 0;

    controllerEntries.clear();
    removeMenu(MenuPage::controllers);
    while (!pages.empty() && pages.rbegin()->first >= MenuPage::firstControllerModel)
        removeMenu(pages.rbegin()->first);

    if (!controllers || controllers->empty()) {
        addBackRow(MenuPage::controllers, MenuPage::settings,
            "(" + translator().translate("none detected", "no controlers detected") + ")", false);
        updateOptionsMenuItem(0);
        return;
    }

    int unconfigured = 0;
    for (const auto& entry : *controllers) {
        Joystick* stick = entry.second;
        bool known = false;
        for (ControllerEntry& model : controllerEntries) {
            if (model.first->guidString == stick->guidString) {
                model.count++;
                known = true;
            }
        }
        if (!known)
            controllerEntries.push_back(ControllerEntry{controllerName(*stick), 1, stick});
        if (stick->left == 0)
            unconfigured++;
    }

    for (size_t i = 0; i < controllerEntries.size(); i++) {
        const ControllerEntry& model = controllerEntries[i];
        int page = MenuPage::firstControllerModel + int(i);
        addMenu(MenuPage::controllers, page, model.name + " (" + std::to_string(model.count) + ")", "");
        for (size_t row = 0; row < std::size(bindingLabels); row++)
            addMenu(page, MenuAction::bindController,
                translator().translate(bindingLabels[row], actionNames[row] == std::string("PAUSE") ? "Imperative" : ""),
                model.first->describeInput(model.first->bindingFor(actionNames[row])));
        addBackRow(page, MenuPage::controllers, translator().translate("BACK"), false);
    }
    addBackRow(MenuPage::controllers, MenuPage::settings, translator().translate("BACK"), false);
    updateOptionsMenuItem(unconfigured);
}

Joystick* Menu::pageController()
{
    TRACE();
    int entry = currentPage - MenuPage::firstControllerModel;
    if (entry < 0 || entry >= int(controllerEntries.size()))
        return nullptr;
    return controllerEntries[size_t(entry)].first;
}

Joystick* Menu::configuringJoystick(Joystick* controller)
{
    TRACE();
    Joystick* configured = pageController();
    if (!configured || !controller || configured->guidString != controller->guidString)
        return nullptr;
    return configured;
}

void Menu::setJoystickAction(const std::string& guid, const std::string& action, int code)
{
    TRACE();
    Storage* record = settingsStorage().getObject("sticks", true)->getObject(guid, true);
    Page* rows = findPage(currentPage);
    int unconfigured = 0;
    for (const auto& entry : controllers ? *controllers : std::map<int, Joystick*>()) {
        Joystick* stick = entry.second;
        if (stick->guidString != guid) {
            if (stick->left == 0)
                unconfigured++;
            continue;
        }
        int& bound = stick->bindingFor(action);
        int old = bound;
        for (size_t i = 0; i < std::size(actionNames); i++) {
            if (action == actionNames[i])
                continue;
            int& other = stick->bindingFor(actionNames[i]);
            if (other != code)
                continue;
            // Swapped, never duplicated; the other action keeps its new code after a restart too.
            other = old;
            record->setInt(actionNames[i], old);
            if (rows && i < rows->size() && (*rows)[i]->action == MenuAction::bindController)
                (*rows)[i]->setValueText(stick->describeInput(old));
        }
        bound = code;
        if (MenuItem* item = selectedItem())
            item->setValueText(stick->describeInput(code));
    }
    LOG("Re-configuring joystick: " << action << " = " << code);
    record->setInt(action, code);
    saveSettings();
    if (action == "LEFT")
        updateOptionsMenuItem(unconfigured);
    waitingForController = false;
}

void Menu::updateOptionsMenuItem(int count)
{
    TRACE();
    MenuItem* item = getMenuItem(MenuPage::main, MenuPage::settings);
    if (!item)
        return;
    if (count == 0) {
        item->setLabel(translator().translate("SETTINGS"));
        return;
    }
    item->setLabel(translator().translatePlural(count, "SETTINGS (# unconfigured controller)",
        "SETTINGS (# unconfigured controllers)",
        "This text shows up next to the Settings menu option when a controller that cannot be automatically "
        "configured is plugged in"));
}

// While a binding page waits, the input of the controller being configured becomes
// the binding; every other controller input is ignored.
bool Menu::controllerBinding(Joystick* stick, int code)
{
    TRACE();
    Joystick* configured = configuringJoystick(stick);
    if (configured && selected >= 0 && selected < int(std::size(actionNames)))
        setJoystickAction(configured->guidString, actionNames[selected], code);
    return true;
}

bool Menu::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    int code = buttonCode(button);
    // The keyboard page waits for a key: a controller must not move the row it binds.
    if (waitingForKey)
        return true;
    if (waitingForController)
        return controllerBinding(stick, code);
    if (code == stick->attack)
        stick->vibrate(2);
    if (stick->isConfigured && code == stick->item && currentPage != MenuPage::main) {
        exitMenu();
        return true;
    }
    if (code == stick->up)
        previousMenuItem(stick);
    else if (code == stick->down)
        nextMenuItem(stick);
    else if (code == stick->left)
        checkLeftRight(-1);
    else if (code == stick->right)
        checkLeftRight(1);
    else if (code == stick->attack || (stick->attack == 0 && button < 4))
        return selectMenuItem();
    else if (code == stick->dpadCode(0, -1))
        previousMenuItem(stick);
    else if (code == stick->dpadCode(0, 1))
        nextMenuItem(stick);
    else if (code == stick->dpadCode(-1, 0))
        checkLeftRight(-1);
    else if (code == stick->dpadCode(1, 0))
        checkLeftRight(1);
    return true;
}

bool Menu::onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value)
{
    TRACE();
    if (waitingForKey)
        return true;
    if (waitingForController)
        return value == SDL_HAT_CENTERED || controllerBinding(stick, hatCode(hat, value));
    switch (value) {
    case SDL_HAT_UP:
        previousMenuItem(stick);
        break;
    case SDL_HAT_DOWN:
        nextMenuItem(stick);
        break;
    case SDL_HAT_LEFT:
        checkLeftRight(-1);
        break;
    case SDL_HAT_RIGHT:
        checkLeftRight(1);
        break;
    default:
        break;
    }
    return true;
}

bool Menu::onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level)
{
    TRACE();
    if (waitingForKey)
        return true;
    if (waitingForController)
        return level == 0 || controllerBinding(stick, axisCode(axis, level));
    if (!stick->isConfigured) {
        if (level < 0)
            previousMenuItem(stick);
        else if (level > 0)
            nextMenuItem(stick);
        return true;
    }
    if (level == 0) {
        heldDirection = 0;
        return true;
    }
    int code = axisCode(axis, level);
    if (code == stick->up)
        previousMenuItem(stick);
    else if (code == stick->down)
        nextMenuItem(stick);
    else if (code == stick->left)
        heldDirection = -1;
    else if (code == stick->right)
        heldDirection = 1;
    return true;
}
