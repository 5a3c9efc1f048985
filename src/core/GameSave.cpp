#include "core/Game.h"

#include "core/CircularLog.h"
#include "core/Storage.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <string>

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

std::unique_ptr<Storage> savedPage(Realm& realm)
{
    TRACE();
    auto page = std::make_unique<Storage>();
    for (int index = 0; index < cellCount; index++)
        page->setInt(std::to_string(index), realm.cells[size_t(index)].value);
    return page;
}

// Reads the cells in index order; the first missing one ends the load.
bool loadPage(const Storage& root, const char* key, Realm& realm)
{
    TRACE();
    auto found = root.objects.find(key);
    if (found == root.objects.end()) {
        LOG("ERROR: Saved game has no " << key);
        return false;
    }
    const Storage& page = *found->second;
    int outOfRange = 0;
    for (int index = 0; index < cellCount; index++) {
        std::string cellKey = std::to_string(index);
        if (!page.has(cellKey)) {
            LOG("ERROR: Saved game: " << key << " ends before cell " << index);
            return false;
        }
        int value = page.getInt(cellKey, -1);
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
    root.setObject("realm2", savedPage(world.secondPage));
    root.setObject("realm42", savedPage(world.mainPage));
    return saveReplacing(root, path);
}

bool Game::loadGame(const std::string& path)
{
    TRACE();
    Storage root;
    if (!root.load(path, true))
        return false;
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
    if (!loadPage(root, "realm42", world.mainPage) || !loadPage(root, "realm2", world.secondPage))
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
