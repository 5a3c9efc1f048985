#include "MenuFixture.h"
#include "VirtualPad.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class MenuControllerTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_TRUE(startControllers()) << SDL_GetError();
    }
    void TearDown() override
    {
        for (auto& entry : pads)
            delete entry.second;
        pads.clear();
        stopControllers();
        MenuTest::TearDown();
    }

    Joystick* plug(Uint16 vendor, Uint16 product, const char* name = "Test pad")
    {
        return add(new Joystick(attachVirtualPad(vendor, product, name)));
    }
    // An Xbox 360 pad as Linux and SDL's mapping database present it.
    Joystick* plugXboxPad() { return add(new Joystick(attachLinuxPad(0x045e, 0x028e, 0x0114, "Xbox pad"))); }
    Joystick* add(Joystick* stick)
    {
        pads[stick->instanceId()] = stick;
        menu.updateJoystickMenu(&pads);
        return stick;
    }

    void unplug(Joystick* stick)
    {
        pads.erase(stick->instanceId());
        menu.updateJoystickMenu(&pads);
        delete stick;
    }

    std::string settingsLabel() { return menu.getMenuItem(MenuPage::main, MenuPage::settings)->label(); }

    std::map<int, Joystick*> pads;
};

// Its model is not in the controller database; the other one is.
const Uint16 unknownVendor = 0x1234, unknownProduct = 0x5678;
const Uint16 knownVendor = 0x046d, knownProduct = 0xc216;

} // namespace

TEST_F(MenuControllerTest, IdenticalPadsShareOneBindingPage)
{
    Joystick* first = plug(unknownVendor, unknownProduct);
    Joystick* second = plug(unknownVendor, unknownProduct);
    Joystick* other = plug(knownVendor, knownProduct);
    Joystick* another = plug(unknownVendor, unknownProduct + 1);
    ASSERT_EQ(menu.controllerEntries.size(), 3u);
    Menu::Page& page = menu.pages[MenuPage::controllers];
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page[0]->label(), "Test pad (2)");
    EXPECT_EQ(page[0]->action, MenuPage::firstControllerModel);
    EXPECT_EQ(settingsLabel(), "SETTINGS (3 unconfigured controllers)");
    EXPECT_EQ(menu.pages[MenuPage::firstControllerModel].size(), 8u);
    Menu::Page& known = menu.pages[MenuPage::firstControllerModel + 1];
    EXPECT_EQ(known[4]->value(), "A");
    EXPECT_EQ(known[2]->value(), "Left Stick "); // and the arrow picture
    EXPECT_EQ(known[2]->imageName, "UP");
    EXPECT_EQ(known[2]->arrowSource().x, 69);
    EXPECT_EQ(known[0]->arrowSource().x, 23);
    EXPECT_EQ(known[1]->arrowSource().x, 0);
    EXPECT_EQ(known[6]->label(), "PAUSE     :");

    menu.currentPage = MenuPage::controllers;
    key(SDLK_RETURN);
    ASSERT_EQ(menu.currentPage, MenuPage::firstControllerModel);
    key(SDLK_RETURN);
    EXPECT_TRUE(menu.waitingForController);
    EXPECT_EQ(menu.selectedItem()->value(), "move stick or press a button");

    menu.onJoyButtonDown(other, 5); // another model's pad is not the one being configured
    EXPECT_TRUE(menu.waitingForController);
    EXPECT_EQ(other->left, 300);

    menu.onJoyButtonDown(second, 5);
    EXPECT_FALSE(menu.waitingForController);
    EXPECT_EQ(first->left, 105);
    EXPECT_EQ(second->left, 105);
    EXPECT_EQ(menu.selectedItem()->value(), "button 5");
    EXPECT_EQ(settingsLabel(), "SETTINGS (1 unconfigured controller)"); // another model still waits
    unplug(another); // back to the list of models
    EXPECT_EQ(settingsLabel(), "SETTINGS");
    key(SDLK_RETURN);
    Storage saved;
    saved.load(prefPath() + "settings.storage", false);
    EXPECT_EQ(saved.getObject("sticks", false)->getObject(first->guidString, false)->getInt("LEFT", 0), 105);

    // Hats and sticks bind too; a centred hat or stick is no answer.
    key(SDLK_DOWN);
    key(SDLK_RETURN);
    menu.onJoyHat(first, 0, 0, SDL_HAT_CENTERED);
    EXPECT_TRUE(menu.waitingForController);
    menu.onJoyHat(first, 0, 0, SDL_HAT_LEFT);
    EXPECT_EQ(first->right, 208);
    EXPECT_EQ(menu.selectedItem()->value(), "hat 0 left");
    key(SDLK_DOWN);
    key(SDLK_RETURN);
    menu.onJoyAxis(first, 3, 0, 0);
    menu.onJoyAxis(first, 3, 0, -2);
    EXPECT_EQ(first->up, 306);
    EXPECT_EQ(menu.selectedItem()->value(), "axis a-");

    // Escape gives up waiting and shows the binding again.
    key(SDLK_RETURN);
    key(SDLK_ESCAPE);
    EXPECT_FALSE(menu.waitingForController);
    EXPECT_EQ(menu.selectedItem()->value(), "axis a-");
    EXPECT_EQ(menu.currentPage, MenuPage::firstControllerModel);

    // Unplugging while the page is shown goes back to the controller list.
    menu.selected = 3;
    key(SDLK_RETURN);
    unplug(first);
    unplug(second);
    EXPECT_EQ(menu.currentPage, MenuPage::controllers);
    EXPECT_EQ(menu.selected, 0);
    EXPECT_FALSE(menu.waitingForController);
    EXPECT_EQ(menu.pages.count(MenuPage::firstControllerModel + 1), 0u);
    EXPECT_EQ(menu.pages[MenuPage::controllers].size(), 2u);
    unplug(other);
    ASSERT_EQ(menu.pages[MenuPage::controllers].size(), 1u);
    EXPECT_EQ(menu.pages[MenuPage::controllers][0]->label(), "\xE2\x97\x84 (none detected)");
    key(SDLK_RETURN);
    EXPECT_EQ(menu.currentPage, MenuPage::settings);
}

TEST_F(MenuControllerTest, AnXboxPadsPageShowsItsButtonsAndBindingOneInUseSwapsTheTwo)
{
    Joystick* pad = plugXboxPad();
    EXPECT_EQ(settingsLabel(), "SETTINGS");
    EXPECT_EQ(menu.pages[MenuPage::controllers][0]->label(), "X360 Controller (1)");
    EXPECT_EQ(values(MenuPage::firstControllerModel), (std::vector<std::string>{"Left Stick ", "Left Stick ",
                                                          "Left Stick ", "Left Stick ", "A", "B", "START", ""}));
    Menu::Page& rows = menu.pages[MenuPage::firstControllerModel];

    menu.currentPage = MenuPage::firstControllerModel;
    menu.selected = 4; // PAGE FLIP
    key(SDLK_RETURN);
    menu.onJoyButtonDown(pad, 1);
    EXPECT_EQ(pad->attack, 101);
    EXPECT_EQ(pad->item, 100);
    EXPECT_EQ(rows[4]->value(), "B");
    EXPECT_EQ(rows[5]->value(), "A");

    // Both halves of the swap outlive a restart.
    Storage saved;
    saved.load(prefPath() + "settings.storage", false);
    Storage* record = saved.getObject("sticks", false)->getObject(pad->guidString, false);
    EXPECT_EQ(record->getInt("ATTACK", 0), 101);
    EXPECT_EQ(record->getInt("ITEM", 0), 100);
    unplug(pad);
    pad = plugXboxPad();
    EXPECT_EQ(pad->attack, 101);
    EXPECT_EQ(pad->item, 100);
}

TEST_F(MenuControllerTest, ConfiguredPadNavigatesSelectsAndGoesBack)
{
    Joystick* pad = plug(knownVendor, knownProduct);
    menu.onJoyAxis(pad, 1, 0, 2); // stick down
    EXPECT_EQ(menu.selected, 1);
    menu.onJoyHat(pad, 0, 0, SDL_HAT_UP);
    menu.onJoyHat(pad, 0, 0, SDL_HAT_DOWN);
    menu.onJoyHat(pad, 0, 0, SDL_HAT_RIGHTDOWN); // diagonals do nothing
    EXPECT_EQ(menu.selected, 1);
    EXPECT_TRUE(menu.onJoyButtonDown(pad, 1)); // ATTACK selects SETTINGS
    EXPECT_EQ(menu.currentPage, MenuPage::settings);
    menu.onJoyButtonDown(pad, 2); // ITEM goes back...
    EXPECT_EQ(menu.currentPage, MenuPage::main);
    menu.onJoyButtonDown(pad, 2); // ...except on the main menu
    EXPECT_EQ(menu.currentPage, MenuPage::main);
    EXPECT_EQ(menu.selected, 0);

    // Holding the stick sideways steps a value on every eleventh frame.
    menu.goToPage(MenuPage::customResolution, 0);
    menu.selected = 1;
    menu.onJoyAxis(pad, 0, 0, 2);
    for (int frame = 1; frame <= 22; frame++) {
        menu.draw(*camera, 1.0f / 60);
        EXPECT_EQ(menu.windowWidth, frame < 11 ? 1024 : frame < 22 ? 1136 : 1152) << frame;
    }
    menu.onJoyAxis(pad, 0, 2, 0);
    for (int frame = 0; frame < 30; frame++)
        menu.draw(*camera, 1.0f / 60);
    EXPECT_EQ(menu.windowWidth, 1152);

    // EXIT through the controller ends the program too.
    menu.reset();
    menu.selected = 4;
    EXPECT_FALSE(menu.onJoyButtonDown(pad, 1));
}

TEST_F(MenuControllerTest, UnconfiguredPadStillFindsItsWay)
{
    Joystick* pad = plug(unknownVendor, unknownProduct);
    ASSERT_FALSE(pad->isConfigured);
    menu.onJoyAxis(pad, 2, 0, -1);
    EXPECT_EQ(menu.selected, 4);
    menu.onJoyAxis(pad, 3, 0, 1);
    EXPECT_EQ(menu.selected, 0);
    menu.selected = 1;
    menu.onJoyButtonDown(pad, 3); // no ATTACK binding: buttons 0 to 3 select
    EXPECT_EQ(menu.currentPage, MenuPage::settings);
    menu.onJoyButtonDown(pad, 7);
    EXPECT_EQ(menu.currentPage, MenuPage::settings);

    // While the keyboard page waits for a key, controllers cannot move the row it binds.
    menu.goToPage(MenuPage::keyboard, 0);
    key(SDLK_RETURN);
    menu.onJoyAxis(pad, 1, 0, 2);
    menu.onJoyButtonDown(pad, 0);
    EXPECT_EQ(menu.selected, 0);
    EXPECT_EQ(menu.currentPage, MenuPage::keyboard);
    key(SDLK_k);
    EXPECT_EQ(settingsStorage().getString("keyLEFT", ""), "k");
}
