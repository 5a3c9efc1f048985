// A level file of any bytes as "ram.txt", beside the shipped "ram2.txt": it loads or
// is refused, and a game on it plays the same walk as any other.

#include "FuzzSupport.h"

#include "core/LevelCheck.h"
#include "core/LevelLoader.h"
#include "core/UserFiles.h"
#include "core/World.h"

namespace {

SilentEvents events;
World* world;
Realm emptyPage;
Realm shippedSecondPage;

} // namespace

void prepareTarget()
{
    world = new World(events);
    loadMap(dataPath("ram2.txt"), shippedSecondPage, world->glyphs);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A new game, with the pages copied whole rather than cleared cell by cell: the
    // coverage counters make a cell-by-cell clear the slowest part of an input.
    world->resetState();
    world->mainPage.cells = emptyPage.cells;
    world->secondPage.cells = shippedSecondPage.cells;
    world->addBuiltInTriggers();
    world->markTriggers();
    loadMap(writeInput("ram.txt", data, size), world->mainPage, world->glyphs);
    world->levelLoaded = true;
    walkAround(*world);
    return 0;
}
