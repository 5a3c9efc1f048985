#include "core/KeyBindings.h"

#include "core/Trace.h"

#include <sstream>

namespace {

const int32_t scancodeBit = 0x40000000;

struct KeyEntry {
    int32_t code;
    const char* name;
};

// Keys that have no run of numbered names; the runs are added by the constructor.
const KeyEntry printableKeys[] = {
    {0, "unknown"}, {8, "backspace"}, {9, "tab"}, {13, "return"}, {27, "esc"}, {32, "space"},
    {33, "exclaim"}, {34, "quotedbl"}, {35, "hash"}, {36, "dollar"}, {37, "percent"},
    {38, "ampersand"}, {39, "quote"}, {40, "left paren"}, {41, "right paren"}, {42, "asterisk"},
    {43, "plus"}, {44, "comma"}, {45, "minus"}, {46, "period"}, {47, "slash"}, {58, "colon"},
    {59, "semicolon"}, {60, "less"}, {61, "equals"}, {62, "greater"}, {63, "question"},
    {64, "at"}, {91, "left bracket"}, {92, "backslash"}, {93, "right bracket"}, {94, "caret"},
    {95, "underscore"}, {96, "backquote"}, {127, "del"},
};

// Offsets added to the scancode bit.
const KeyEntry scancodeKeys[] = {
    {0x39, "caps lock"}, {0x46, "print screen"}, {0x47, "scroll lock"}, {0x48, "pause"},
    {0x49, "insert"}, {0x4a, "home"}, {0x4b, "pg up"}, {0x4d, "end"}, {0x4e, "pg down"},
    {0x4f, "arrow right"}, {0x50, "arrow left"}, {0x51, "arrow down"}, {0x52, "arrow up"},
    {0x53, "numlock clear"}, {0x54, "kp divide"}, {0x55, "kp multiply"}, {0x56, "kp minus"},
    {0x57, "kp plus"}, {0x58, "kp enter"}, {0x62, "kp 0"}, {0x63, "kp period"},
    {0x65, "application"}, {0x66, "power"}, {0x67, "kp equals"}, {0x74, "execute"},
    {0x75, "help"}, {0x76, "menu"}, {0x77, "select"}, {0x78, "stop"}, {0x79, "again"},
    {0x7a, "undo"}, {0x7b, "cut"}, {0x7c, "copy"}, {0x7d, "paste"}, {0x7e, "find"},
    {0x7f, "mute"}, {0x80, "volume up"}, {0x81, "volume down"}, {0x85, "kp_comma"},
    {0x86, "kp_equalsas400"}, {0x99, "alterase"}, {0x9a, "sysreq"}, {0x9b, "cancel"},
    {0x9c, "clear"}, {0x9d, "prior"}, {0x9e, "return2"}, {0x9f, "separator"}, {0xa0, "out"},
    {0xa1, "oper"}, {0xa2, "clearagain"}, {0xa3, "crsel"}, {0xa4, "exsel"}, {0xb0, "kp_00"},
    {0xb1, "kp_000"}, {0xb2, "thousands separator"}, {0xb3, "decimal separator"},
    {0xb4, "currency unit"}, {0xb5, "currency subunit"}, {0xb6, "kp leftparen"},
    {0xb7, "kp rightparen"}, {0xb8, "kp leftbrace"}, {0xb9, "kp rightbrace"}, {0xba, "kp tab"},
    {0xbb, "kp backspace"}, {0xc2, "kp_xor"}, {0xc3, "kp_power"}, {0xc4, "kp_percent"},
    {0xc5, "kp_less"}, {0xc6, "kp_greater"}, {0xc7, "kp_ampersand"}, {0xc8, "kp_dblampersand"},
    {0xc9, "kp_verticalbar"}, {0xca, "kp_dblverticalbar"}, {0xcb, "kp_colon"}, {0xcc, "kp_hash"},
    {0xcd, "kp_space"}, {0xce, "kp_at"}, {0xcf, "kp_exclam"}, {0xd0, "kp_memstore"},
    {0xd1, "kp_memrecall"}, {0xd2, "kp_memclear"}, {0xd3, "kp_memadd"},
    {0xd4, "kp_memsubtract"}, {0xd5, "kp_memmultiply"}, {0xd6, "kp_memdivide"},
    {0xd7, "kp_plusminus"}, {0xd8, "kp_clear"}, {0xd9, "kp_clearentry"}, {0xda, "kp_binary"},
    {0xdb, "kp_octal"}, {0xdc, "kp_decimal"}, {0xdd, "kp_hexadecimal"}, {0xe0, "l ctrl"},
    {0xe1, "l shift"}, {0xe2, "l alt"}, {0xe3, "l gui"}, {0xe4, "r ctrl"}, {0xe5, "r shift"},
    {0xe6, "r alt"}, {0xe7, "r gui"}, {0x101, "mode"}, {0x102, "audio next"},
    {0x103, "audio prev"}, {0x104, "audio stop"}, {0x105, "audio play"}, {0x106, "audio mute"},
    {0x107, "media select"}, {0x108, "www"}, {0x109, "mail"}, {0x10a, "calculator"},
    {0x10b, "computer"}, {0x10c, "ac_search"}, {0x10d, "ac_home"}, {0x10e, "ac_back"},
    {0x10f, "ac_forward"}, {0x110, "ac_stop"}, {0x111, "ac_refresh"}, {0x112, "ac_bookmarks"},
    {0x113, "brightness down"}, {0x114, "brightness up"}, {0x115, "display switch"},
    {0x116, "kbdillum toggle"}, {0x117, "kbdillum down"}, {0x118, "kbdillum up"},
    {0x119, "eject"}, {0x11a, "sleep"},
};

// A run of keys named by a prefix and a counting number, such as "f1" to "f12".
void addNumbered(std::map<int32_t, std::string>& names, int32_t firstCode, int count,
                 const std::string& prefix, int firstNumber)
{
    TRACE();
    for (int i = 0; i < count; i++)
        names[firstCode + i] = prefix + std::to_string(firstNumber + i);
}

} // namespace

const char* const actionNames[8] = {"LEFT", "RIGHT", "UP", "DOWN", "ATTACK", "ITEM", "PAUSE", "CHAT"};

const KeyNameTable keyNameTable;

KeyNameTable::KeyNameTable()
{
    TRACE();
    for (const KeyEntry& key : printableKeys)
        names[key.code] = key.name;
    addNumbered(names, '0', 10, "", 0);
    for (char letter = 'a'; letter <= 'z'; letter++)
        names[letter] = std::string(1, letter);
    for (const KeyEntry& key : scancodeKeys)
        names[scancodeBit + key.code] = key.name;
    addNumbered(names, scancodeBit + 0x3a, 12, "f", 1);
    addNumbered(names, scancodeBit + 0x59, 9, "kp ", 1);
    addNumbered(names, scancodeBit + 0x68, 12, "f", 13);
    for (char letter = 'a'; letter <= 'f'; letter++)
        names[scancodeBit + 0xbc + (letter - 'a')] = std::string("kp_") + letter;
    for (const auto& entry : names)
        codes[entry.second] = entry.first;
}

KeyNameTable::~KeyNameTable() = default;

std::string keyName(int32_t keycode)
{
    TRACE();
    auto found = keyNameTable.names.find(keycode);
    if (found != keyNameTable.names.end())
        return found->second;
    return "key #" + std::to_string(keycode);
}

int32_t keyCode(const std::string& name)
{
    TRACE();
    auto found = keyNameTable.codes.find(name);
    if (found != keyNameTable.codes.end())
        return found->second;
    if (name.compare(0, 5, "key #") != 0)
        return 0;
    std::istringstream number(name.substr(5));
    int32_t code = 0;
    if (!(number >> code))
        return 0;
    return code;
}

void resetKeyBindings(KeyBindings& bindings)
{
    TRACE();
    bindings[KeySlot::up] = scancodeBit + 0x52;
    bindings[KeySlot::down] = scancodeBit + 0x51;
    bindings[KeySlot::left] = scancodeBit + 0x50;
    bindings[KeySlot::right] = scancodeBit + 0x4f;
    bindings[KeySlot::attack] = 'd';
    bindings[KeySlot::strong] = 's';
    bindings[KeySlot::special] = 's';
    bindings[KeySlot::item] = 'a';
    bindings[KeySlot::action] = 'w';
    bindings[KeySlot::cweapon] = 'q';
    bindings[KeySlot::citem] = 'e';
    bindings[KeySlot::drop] = 'f';
    bindings[KeySlot::sleft] = 'x';
    bindings[KeySlot::sright] = 'c';
    bindings[KeySlot::chat] = 't';
}

namespace {

void loadKeyBinding(KeyBindings& bindings, int slot, const Storage& settings, const std::string& action)
{
    TRACE();
    std::string name = settings.getString("key" + action, "");
    if (!name.empty())
        bindings[slot] = keyCode(name);
}

} // namespace

void loadKeyBindings(KeyBindings& bindings, const Storage& settings)
{
    TRACE();
    loadKeyBinding(bindings, KeySlot::up, settings, "UP");
    loadKeyBinding(bindings, KeySlot::down, settings, "DOWN");
    loadKeyBinding(bindings, KeySlot::left, settings, "LEFT");
    loadKeyBinding(bindings, KeySlot::right, settings, "RIGHT");
    loadKeyBinding(bindings, KeySlot::attack, settings, "ATTACK");
    loadKeyBinding(bindings, KeySlot::special, settings, "SPEC");
    // STRONG follows the special key unless it is stored itself.
    bindings[KeySlot::strong] = bindings[KeySlot::special];
    loadKeyBinding(bindings, KeySlot::strong, settings, "STRONG");
    loadKeyBinding(bindings, KeySlot::item, settings, "ITEM");
    loadKeyBinding(bindings, KeySlot::action, settings, "ACTION");
    loadKeyBinding(bindings, KeySlot::cweapon, settings, "CWEAPON");
    loadKeyBinding(bindings, KeySlot::citem, settings, "CITEM");
    loadKeyBinding(bindings, KeySlot::drop, settings, "DROP");
    loadKeyBinding(bindings, KeySlot::sleft, settings, "SLEFT");
    loadKeyBinding(bindings, KeySlot::sright, settings, "SRIGHT");
    loadKeyBinding(bindings, KeySlot::chat, settings, "CHAT");
}

int key2input(const KeyBindings& bindings, int32_t keycode, bool pauseMenuOpen)
{
    TRACE();
    const int32_t escape = 27;
    const int32_t enter = 13;
    const int32_t keypadEnter = scancodeBit + 0x58;
    const int32_t return2 = scancodeBit + 0x9e;
    // The earlier test wins when one key is bound to two actions.
    if (keycode == bindings[KeySlot::left])
        return GameInput::left;
    if (keycode == bindings[KeySlot::right])
        return GameInput::right;
    if (keycode == bindings[KeySlot::up])
        return GameInput::up;
    if (keycode == bindings[KeySlot::down])
        return GameInput::down;
    if (keycode == escape)
        return GameInput::pause;
    if (keycode == bindings[KeySlot::attack])
        return GameInput::attack;
    if (keycode == bindings[KeySlot::item])
        return GameInput::item;
    if (pauseMenuOpen && (keycode == enter || keycode == keypadEnter || keycode == return2))
        return GameInput::attack;
    return GameInput::none;
}
