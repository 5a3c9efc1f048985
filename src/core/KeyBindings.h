#pragma once

#include "core/Storage.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>

// The game's actions: what the keyboard and controller translations produce.
namespace GameInput {
constexpr int none = 0;
constexpr int up = 1;
constexpr int down = 2;
constexpr int left = 3;
constexpr int right = 4;
constexpr int attack = 5; // page flip
constexpr int item = 6;   // show hints
constexpr int pause = 7;
} // namespace GameInput

// The bindable actions in the order of the KEYBOARD and controller pages' items.
extern const char* const actionNames[8];

// Display names of keyboard keycodes, and back. Names are matched exactly.
class KeyNameTable {
public:
    KeyNameTable();
    virtual ~KeyNameTable();

    std::map<int32_t, std::string> names;
    std::map<std::string, int32_t> codes;
};

extern const KeyNameTable keyNameTable;

// The table's name, or "key #" and the code in decimal for a key it does not list.
std::string keyName(int32_t keycode);
// The table's code, or the number after "key #"; 0 (no key) for anything else.
int32_t keyCode(const std::string& name);

// One keycode per action slot.
using KeyBindings = std::array<int32_t, 16>;

namespace KeySlot {
constexpr int up = 0;
constexpr int down = 1;
constexpr int left = 2;
constexpr int right = 3;
constexpr int attack = 4;
constexpr int strong = 5;
constexpr int special = 6; // stored as "keySPEC"
constexpr int item = 7;
constexpr int action = 8;
constexpr int cweapon = 9;
constexpr int citem = 10;
constexpr int drop = 11;
constexpr int sleft = 12;
constexpr int sright = 13;
constexpr int chat = 15;
} // namespace KeySlot

void resetKeyBindings(KeyBindings& bindings);
// Reads the "key" + action settings; a missing or empty one keeps the slot as it is.
void loadKeyBindings(KeyBindings& bindings, const Storage& settings);
// The game input of a key; Return and keypad Enter also confirm while the pause
// menu is open. 0 for a key that means nothing to the game.
int key2input(const KeyBindings& bindings, int32_t keycode, bool pauseMenuOpen);
