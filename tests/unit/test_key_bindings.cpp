#include "core/KeyBindings.h"
#include "core/Storage.h"

#include <gtest/gtest.h>

namespace {

const int32_t arrowLeft = 0x40000050;
const int32_t arrowUp = 0x40000052;

TEST(KeyNameTable, HoldsEveryListedKey)
{
    EXPECT_EQ(keyNameTable.names.size(), 236u);
    EXPECT_EQ(keyNameTable.codes.size(), 236u);
    EXPECT_EQ(keyName(0), "unknown");
    EXPECT_EQ(keyName('7'), "7");
    EXPECT_EQ(keyName('q'), "q");
    EXPECT_EQ(keyName(127), "del");
    EXPECT_EQ(keyName(0x4000003a), "f1");
    EXPECT_EQ(keyName(0x40000045), "f12");
    EXPECT_EQ(keyName(0x40000068), "f13");
    EXPECT_EQ(keyName(0x40000073), "f24");
    EXPECT_EQ(keyName(0x40000059), "kp 1");
    EXPECT_EQ(keyName(0x40000061), "kp 9");
    EXPECT_EQ(keyName(0x40000062), "kp 0");
    EXPECT_EQ(keyName(0x400000bc), "kp_a");
    EXPECT_EQ(keyName(0x400000c1), "kp_f");
    EXPECT_EQ(keyName(arrowLeft), "arrow left");
    EXPECT_EQ(keyName(0x4000011a), "sleep");
}

TEST(KeyNameTable, UnknownCodesRoundTripThroughTheirNumber)
{
    EXPECT_EQ(keyName(0x40000064), "key #1073741924");
    EXPECT_EQ(keyCode("key #1073741924"), 0x40000064);
    EXPECT_EQ(keyName(-5), "key #-5");
    EXPECT_EQ(keyCode("key #-5"), -5);
    EXPECT_EQ(keyName(0x4000004c), "key #1073741900"); // a gap in the table
}

TEST(KeyNameTable, NamesAreReadExactly)
{
    EXPECT_EQ(keyCode("esc"), 27);
    EXPECT_EQ(keyCode("escape"), 0);
    EXPECT_EQ(keyCode("Esc"), 0);
    EXPECT_EQ(keyCode("ARROW LEFT"), 0);
    EXPECT_EQ(keyCode(""), 0);
    EXPECT_EQ(keyCode("key #"), 0);
    EXPECT_EQ(keyCode("key #abc"), 0);
    EXPECT_EQ(keyCode("key #99999999999"), 0);
    EXPECT_EQ(keyCode("kp 1"), 0x40000059);
    EXPECT_EQ(keyCode("unknown"), 0);
}

TEST(KeyBindings, LoadedOverTheDefaults)
{
    KeyBindings bindings{};
    resetKeyBindings(bindings);
    EXPECT_EQ(bindings[KeySlot::up], arrowUp);
    EXPECT_EQ(bindings[KeySlot::attack], 'd');
    EXPECT_EQ(bindings[KeySlot::item], 'a');
    EXPECT_EQ(bindings[KeySlot::chat], 't');
    EXPECT_EQ(bindings[14], 0);

    Storage settings;
    settings.setString("keySPEC", "z");
    settings.setString("keyATTACK", "a");
    settings.setString("keyITEM", "b");
    settings.setString("keyUP", "");
    settings.setString("keyDOWN", "nonsense");
    settings.setString("keyPAUSE", "escape");
    loadKeyBindings(bindings, settings);
    EXPECT_EQ(bindings[KeySlot::special], 'z');
    EXPECT_EQ(bindings[KeySlot::strong], 'z'); // follows SPEC
    EXPECT_EQ(bindings[KeySlot::attack], 'a');
    EXPECT_EQ(bindings[KeySlot::item], 'b');
    EXPECT_EQ(bindings[KeySlot::up], arrowUp); // empty keeps the slot
    EXPECT_EQ(bindings[KeySlot::down], 0);     // unreadable means no key

    settings.setString("keySTRONG", "x");
    loadKeyBindings(bindings, settings);
    EXPECT_EQ(bindings[KeySlot::strong], 'x');
}

TEST(KeyBindings, KeyboardTranslation)
{
    KeyBindings bindings{};
    resetKeyBindings(bindings);
    EXPECT_EQ(key2input(bindings, arrowLeft, false), GameInput::left);
    EXPECT_EQ(key2input(bindings, 0x4000004f, false), GameInput::right);
    EXPECT_EQ(key2input(bindings, arrowUp, false), GameInput::up);
    EXPECT_EQ(key2input(bindings, 0x40000051, false), GameInput::down);
    EXPECT_EQ(key2input(bindings, 27, false), GameInput::pause);
    EXPECT_EQ(key2input(bindings, 'd', false), GameInput::attack);
    EXPECT_EQ(key2input(bindings, 'a', false), GameInput::item);
    EXPECT_EQ(key2input(bindings, 's', false), GameInput::none);
    for (int32_t enter : {13, 0x40000058, 0x4000009e}) {
        EXPECT_EQ(key2input(bindings, enter, false), GameInput::none);
        EXPECT_EQ(key2input(bindings, enter, true), GameInput::attack);
    }

    // The earlier test wins when one key does two things.
    bindings[KeySlot::attack] = arrowLeft;
    EXPECT_EQ(key2input(bindings, arrowLeft, false), GameInput::left);
    bindings[KeySlot::attack] = 27;
    EXPECT_EQ(key2input(bindings, 27, false), GameInput::pause);
    bindings[KeySlot::down] = 27;
    EXPECT_EQ(key2input(bindings, 27, false), GameInput::down);
}

TEST(ActionNames, OrderOfTheBindingPages)
{
    EXPECT_STREQ(actionNames[0], "LEFT");
    EXPECT_STREQ(actionNames[4], "ATTACK");
    EXPECT_STREQ(actionNames[7], "CHAT");
}

} // namespace
