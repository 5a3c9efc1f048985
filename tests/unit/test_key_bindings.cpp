#include "TestSupport.h"
#include "core/KeyBindings.h"
#include "core/Storage.h"

#include <gtest/gtest.h>

namespace {

const int32_t arrowLeft = 0x40000050;
const int32_t arrowUp = 0x40000052;

TEST(KeyNameTable, NamesAndCodesBothWays)
{
    EXPECT_EQ(keyNameTable.names.size(), 236u);
    EXPECT_EQ(keyNameTable.codes.size(), 236u);
    // The whole table in one number: a changed, lost or doubled name changes it.
    std::string table;
    for (const auto& [code, name] : keyNameTable.names)
        table += std::to_string(code) + " " + name + "\n";
    EXPECT_EQ(textHash(table), 0xb81de0b7f61af25du) << table;
    // Codes outside the table, even in its gaps, go by their number.
    const std::pair<int32_t, const char*> names[] = {{0, "unknown"}, {'7', "7"}, {'q', "q"}, {127, "del"},
        {0x4000003a, "f1"}, {0x40000045, "f12"}, {0x40000068, "f13"}, {0x40000073, "f24"}, {0x40000059, "kp 1"},
        {0x40000061, "kp 9"}, {0x40000062, "kp 0"}, {0x400000bc, "kp_a"}, {0x400000c1, "kp_f"},
        {arrowLeft, "arrow left"}, {0x4000011a, "sleep"}, {0x40000064, "key #1073741924"}, {-5, "key #-5"},
        {0x4000004c, "key #1073741900"}};
    for (const auto& [code, name] : names) {
        EXPECT_EQ(keyName(code), name);
        if (code != 0) {
            EXPECT_EQ(keyCode(name), code) << name;
        }
    }
    // Names are read exactly.
    for (const char* name : {"escape", "Esc", "ARROW LEFT", "", "key #", "key #abc", "key #99999999999", "unknown"})
        EXPECT_EQ(keyCode(name), 0) << name;
    EXPECT_EQ(keyCode("esc"), 27);
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
    EXPECT_EQ(bindings[KeySlot::strong], 'z'); // follows the special key
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
    const std::pair<int32_t, int> inputs[] = {{arrowLeft, GameInput::left}, {0x4000004f, GameInput::right},
        {arrowUp, GameInput::up}, {0x40000051, GameInput::down}, {27, GameInput::pause}, {'d', GameInput::attack},
        {'a', GameInput::item}, {'s', GameInput::none}};
    for (const auto& [key, input] : inputs)
        EXPECT_EQ(key2input(bindings, key, false), input) << key;
    // The Enter keys choose only in menus.
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

} // namespace
