#include "TestSupport.h"
#include "VirtualPad.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Attaches one of SDL's virtual controllers, which behave like a real device.
class VirtualControllers : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError(); }
    void TearDown() override
    {
        for (Joystick* stick : opened)
            delete stick;
        detachVirtualPads();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    Joystick* attach(Uint16 vendor, Uint16 product, const char* name = "Test pad")
    {
        int index = attachVirtualPad(vendor, product, name);
        EXPECT_GE(index, 0) << SDL_GetError();
        auto* stick = new Joystick(index);
        opened.push_back(stick);
        return stick;
    }

    std::vector<Joystick*> opened;
};

} // namespace

TEST(ControllerCodes, CodesDescriptionsAndAxisLevels)
{
    EXPECT_EQ(buttonCode(5), 105);
    EXPECT_EQ(hatCode(0, SDL_HAT_UP), 201);
    EXPECT_EQ(hatCode(1, SDL_HAT_LEFT), 218);
    EXPECT_EQ(hatCode(0, SDL_HAT_LEFTUP), 201); // 9 is not below 9: read as up
    EXPECT_EQ(hatCode(0, SDL_HAT_RIGHTUP), 203);
    EXPECT_EQ(axisCode(1, -2), 302);
    EXPECT_EQ(axisCode(1, 1), 303);

    Joystick none(-1); // no such device: unconfigured, no labels
    EXPECT_EQ(none.name, "Cannot open joystick device");
    const std::pair<int, const char*> descriptions[] = {{0, "none"}, {105, "button 5"}, {303, "axis y+"},
        {300, "axis x-"}, {224, "hat 2 down"}, {203, "none"}, {99, "none"}, {INT_MIN, "none"}};
    for (const auto& [code, text] : descriptions)
        EXPECT_EQ(none.describeInput(code), text) << code;
    const std::pair<int, int> levels[] = {{-16501, -2}, {-16500, -1}, {11000, 0}, {11001, 1}, {32767, 2}};
    for (const auto& [value, level] : levels)
        EXPECT_EQ(none.axisPosition(value), level) << value;
}

TEST_F(VirtualControllers, KnownModelsGetTheirDefaultsAndLabelsOthersWait)
{
    Joystick* stick = attach(0x046d, 0xc216);
    EXPECT_TRUE(stick->knownModel);
    EXPECT_TRUE(stick->isConfigured);
    EXPECT_EQ(stick->up, 302);
    EXPECT_EQ(stick->left, 300);
    EXPECT_EQ(stick->attack, 101);
    EXPECT_EQ(stick->item, 102);
    EXPECT_EQ(stick->pause, 109);
    EXPECT_EQ(stick->describeInput(101), "A");
    EXPECT_EQ(stick->describeInput(302), "Left Stick ***IMG:UP");
    EXPECT_EQ(stick->describeInput(110), "button 10");
    Storage* record = settingsStorage().getObject("sticks", false)->getObject(stick->guidString, false);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->getInt("ATTACK", 0), 101);

    Joystick* unknown = attach(0x1234, 0x5678);
    EXPECT_FALSE(unknown->knownModel);
    EXPECT_FALSE(unknown->isConfigured);
    EXPECT_EQ(unknown->left, 0);
    EXPECT_EQ(unknown->axes.size(), 4u);
    EXPECT_EQ(unknown->hats.size(), 1u);
}

TEST_F(VirtualControllers, StoredCompleteBindingsWinOverTheDatabase)
{
    Joystick* first = attach(0x046d, 0xc216);
    Storage* record = settingsStorage().getObject("sticks", false)->getObject(first->guidString, false);
    record->setInt("ATTACK", 105);
    record->setInt("ITEM", 106);
    record->setBool("preventBounce", false);
    Joystick* second = attach(0x046d, 0xc216);
    EXPECT_EQ(second->attack, 105);
    EXPECT_EQ(second->item, 106);
    EXPECT_FALSE(second->preventBounce);
    EXPECT_EQ(second->describeInput(101), "A"); // labels still come from the model
}

TEST_F(VirtualControllers, ADamagedRecordIsUsedWithinRange)
{
    // Once overflows in the menu's description and in the axis levels.
    Joystick* first = attach(0x046d, 0xc216);
    Storage* record = settingsStorage().getObject("sticks", false)->getObject(first->guidString, false);
    record->setInt("ATTACK", INT_MIN);
    record->setInt("menuSensitivity2", INT_MIN);
    record->setInt("gameSensitivity2", 40000);
    record->setInt("vibrations", INT_MAX);
    Joystick* second = attach(0x046d, 0xc216);
    EXPECT_EQ(second->describeInput(second->attack), "none");
    EXPECT_EQ(second->menuSensitivity, 0);
    EXPECT_EQ(second->gameSensitivity, 32767);
    EXPECT_EQ(second->vibrationStrength, 100);
    EXPECT_EQ(second->axisPosition(-32768), -2);
    EXPECT_EQ(logLinesContaining("WARNING: Controller setting vibrations = 2147483647 is out of range, using 100"), 1);
}

TEST_F(VirtualControllers, PartialBindingsAreCompletedFromTheDatabase)
{
    Joystick* first = attach(0x046d, 0xc219);
    Storage* record = settingsStorage().getObject("sticks", false)->getObject(first->guidString, false);
    record->strings.clear();
    record->setInt("ATTACK", 107);
    Joystick* second = attach(0x046d, 0xc219);
    EXPECT_EQ(second->attack, 107);
    EXPECT_EQ(second->item, 102);
    EXPECT_EQ(record->getInt("ITEM", 0), 102);
}
