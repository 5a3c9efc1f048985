// CONTINUE over a damaged "savegame.storage": the shipped level is loaded, the saved
// game is read over it as far as it goes, and the game is played on from there.

#include "FuzzSupport.h"

#include "core/Game.h"
#include "core/UserFiles.h"

namespace {

Game* game;
Realm levelMain;
Realm levelSecond;

} // namespace

void prepareTarget()
{
    game = new Game();
    game->world.loadLevel(dataPath("ram.txt"), dataPath("ram2.txt"));
    levelMain.cells = game->world.mainPage.cells;
    levelSecond.cells = game->world.secondPage.cells;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    World& world = game->world;
    world.resetState();
    world.mainPage.cells = levelMain.cells;
    world.secondPage.cells = levelSecond.cells;
    world.addBuiltInTriggers();
    game->loadGame(writeInput("savegame.storage", data, size));
    world.levelLoaded = true;
    world.markTriggers();
    walkAround(world);
    return 0;
}
