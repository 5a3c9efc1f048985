#include "core/Game.h"

#include "core/CircularLog.h"
#include "core/Storage.h"
#include "core/StorageReader.h"
#include "core/StorageWriter.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <vector>

// The saved game: the player, the registers and the program counter as integers, the
// remaining jump triggers, and the value byte of every cell of both pages.

namespace {

struct SavedInteger {
    const char* key;
    int World::*field;
    int lowest;
    int highest;
};

// In the order a load reads them.
const SavedInteger savedIntegers[] = {
    {"playerX", &World::playerX, 0, 255},
    {"playerY", &World::playerY, 0, 255},
    {"playerLocation", &World::playerLocation, PlayerLocation::memory, PlayerLocation::compareRegister},
    {"dataRegister", &World::dataRegister, 0, 255},
    {"pageRegister", &World::pageRegister, 0, 255},
    {"playerPage", &World::playerPage, 0, World::mainPageNumber},
    {"compareRegister", &World::compareRegister, 0, 255},
    {"programLocation", &World::programLocation, 0, 65535},
    {"programLine", &World::programLine, 0, 255},
    {"cameraBottom", &World::cameraBottom, 0, 259},
};

const int cellCount = Realm::size * Realm::size;

// The value within its range; an out-of-range one is logged as what it was.
int clampedValue(const char* what, int value, int lowest, int highest)
{
    TRACE();
    int clamped = std::max(lowest, std::min(highest, value));
    if (clamped != value)
        LOG("WARNING: Saved game: " << what << " = " << value << " is out of range, using " << clamped);
    return clamped;
}

// Appends `index` and every longer index it begins, in the order of their keys.
void appendInKeyOrder(int index, std::vector<int>& order)
{
    TRACE();
    order.push_back(index);
    for (int digit = 0; digit < 10; digit++) {
        int longer = index * 10 + digit;
        if (longer < cellCount)
            appendInKeyOrder(longer, order);
    }
}

// The cell indexes in the order of their decimal keys, the order a page is stored in:
// "0", "1", "10", "100", "1000", "10000", "10001", ...
const std::vector<int>& cellsInKeyOrder()
{
    TRACE();
    static const std::vector<int> order = [] {
        std::vector<int> indexes{0};
        for (int first = 1; first <= 9; first++)
            appendInKeyOrder(first, indexes);
        return indexes;
    }();
    return order;
}

// A page's record: its cells in key order.
void writePage(StorageWriter& out, const char* key, const Realm& realm)
{
    TRACE();
    out.beginObject(key);
    char index[8];
    char value[4];
    for (int cell : cellsInKeyOrder()) {
        char* indexEnd = std::to_chars(index, index + sizeof index, cell).ptr;
        char* valueEnd = std::to_chars(value, value + sizeof value, int(realm.cells[size_t(cell)].value)).ptr;
        out.addString({index, size_t(indexEnd - index)}, {value, size_t(valueEnd - value)});
    }
    out.endRecord();
}

// The cell index a key names: decimal without a sign or leading zeros, below 65,536.
int cellIndex(std::string_view key)
{
    TRACE();
    if (key.empty() || key.size() > 5 || (key[0] == '0' && key.size() > 1))
        return -1;
    int index = 0;
    for (char digit : key) {
        if (digit < '0' || digit > '9')
            return -1;
        index = index * 10 + (digit - '0');
    }
    return index < cellCount ? index : -1;
}

// A page's cells as read from the file: each one's number (-1 where it is none) and
// whether it was there at all.
struct PageCells {
    std::vector<int> values = std::vector<int>(size_t(cellCount), -1);
    std::vector<bool> present = std::vector<bool>(size_t(cellCount), false);
};

// The rest of a page's record. Keys that name no cell and records nested in the page
// are passed over.
bool readPage(StorageReader& reader, int depth, PageCells& page)
{
    TRACE();
    Storage passedOver;
    return reader.readFields([&](int field) {
        if (field != Storage::stringField)
            return reader.readNested(field, passedOver, depth + 1);
        int index = cellIndex(reader.key);
        if (index >= 0) {
            page.present[size_t(index)] = true;
            page.values[size_t(index)] = Storage::intFrom(reader.value, -1);
        }
        return true;
    });
}

bool isPageKey(std::string_view key)
{
    TRACE();
    return key == "realm2" || key == "realm42";
}

// The saved game's root record: the pages cell by cell, everything else into `root`.
// A page given twice counts as given last, like any other key.
bool readSavedGame(StorageReader& reader, Storage& root, std::map<std::string, PageCells>& pages)
{
    TRACE();
    return reader.readFields([&](int field) {
        if (field == Storage::stringField) {
            root.strings[std::string(reader.key)] = reader.value;
            return true;
        }
        if (field == Storage::objectField && isPageKey(reader.key))
            return readPage(reader, 2, pages[std::string(reader.key)] = PageCells());
        return reader.readNested(field, root, 2);
    });
}

// Every cell must be there, or the page is left as it was; values out of range are clamped.
bool loadPage(const std::map<std::string, PageCells>& pages, const char* key, Realm& realm)
{
    TRACE();
    auto found = pages.find(key);
    if (found == pages.end()) {
        LOG("ERROR: Saved game has no " << key);
        return false;
    }
    const PageCells& page = found->second;
    auto missing = std::find(page.present.begin(), page.present.end(), false);
    if (missing != page.present.end()) {
        LOG("ERROR: Saved game: " << key << " ends before cell " << (missing - page.present.begin()));
        return false;
    }
    int outOfRange = 0;
    for (int index = 0; index < cellCount; index++) {
        int value = page.values[size_t(index)];
        if (value < 0 || value > 255)
            outOfRange++;
        realm.cells[size_t(index)].value = uint8_t(std::max(0, std::min(255, value)));
    }
    if (outOfRange > 0)
        LOG("WARNING: Saved game: " << outOfRange << " cells of " << key << " were out of range and are clamped");
    return true;
}

} // namespace

bool Game::saveGame(const std::string& path)
{
    TRACE();
    Storage root;
    for (const SavedInteger& entry : savedIntegers)
        root.setInt(entry.key, world.*entry.field);
    auto jumps = std::make_unique<Storage>();
    for (const JumpTrigger& trigger : world.jumps) {
        auto saved = std::make_unique<Storage>();
        saved->setInt("x", trigger.x);
        saved->setInt("y", trigger.y);
        saved->setInt("code", trigger.code);
        saved->setInt("realm", trigger.realm);
        jumps->addToList(std::move(saved));
    }
    root.setObject("jumps", std::move(jumps));
    // Objects are stored in key order: "jumps", then the pages. A cell takes at most
    // 9 bytes of framing, a 5-digit key and a 3-digit value.
    StorageWriter out;
    out.bytes.reserve(2 * size_t(cellCount) * 17 + 4096);
    out.addFields(root);
    writePage(out, "realm2", world.secondPage);
    writePage(out, "realm42", world.mainPage);
    out.endRecord();
    return saveReplacing(out.bytes, path);
}

bool Game::loadGame(const std::string& path)
{
    TRACE();
    std::string bytes;
    if (!StorageReader::readFile(path, true, bytes))
        return false;
    StorageReader reader(bytes.data(), bytes.data() + bytes.size());
    Storage root;
    std::map<std::string, PageCells> pages;
    if (!readSavedGame(reader, root, pages)) {
        LOG("ERROR: Loading storage failed: " << path);
        return false;
    }
    for (const SavedInteger& entry : savedIntegers) {
        if (root.has(entry.key))
            world.*entry.field =
                clampedValue(entry.key, root.getInt(entry.key, world.*entry.field), entry.lowest, entry.highest);
    }
    if (world.playerPage != 0 && world.playerPage != World::secondPageNumber &&
        world.playerPage != World::mainPageNumber) {
        LOG("WARNING: Saved game: playerPage = " << world.playerPage << " is no page, using 66");
        world.playerPage = World::mainPageNumber;
    }
    if (!loadPage(pages, "realm42", world.mainPage) || !loadPage(pages, "realm2", world.secondPage))
        return false;

    Storage* jumps = root.getObject("jumps", false);
    if (!jumps) {
        LOG("ERROR: Saved game has no jumps");
        return false;
    }
    world.jumps.clear();
    for (const auto& saved : jumps->list) {
        // A game never has more triggers than it starts with.
        if (world.jumps.size() == World::builtInTriggerCount) {
            LOG("WARNING: Saved game: " << jumps->list.size() << " jump triggers, keeping the first "
                                        << World::builtInTriggerCount);
            break;
        }
        JumpTrigger trigger;
        trigger.x = clampedValue("jump x", saved->getInt("x", 0), 0, 255);
        trigger.y = clampedValue("jump y", saved->getInt("y", 0), 0, 255);
        trigger.code = clampedValue("jump code", saved->getInt("code", 0), 0, 65535);
        int realm = saved->getInt("realm", World::mainPageNumber);
        trigger.realm = realm == World::secondPageNumber ? World::secondPageNumber : World::mainPageNumber;
        world.page(trigger.realm).cell(trigger.x, trigger.y).marks = Realm::triggerMark;
        world.jumps.push_back(trigger);
    }
    return true;
}
