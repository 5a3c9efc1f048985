#include "core/World.h"

#include "core/CircularLog.h"
#include "core/KeyBindings.h"
#include "core/LevelLoader.h"
#include "core/Trace.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

namespace Opcode {
constexpr int add = 'a';
constexpr int cmpr = 'c';
constexpr int je = 'e';
constexpr int jg = 'g';
constexpr int jump = 'j';
constexpr int jl = 'l';
constexpr int none = 'n';
constexpr int page = 'p';
constexpr int swap = 's';
} // namespace Opcode

const JumpTrigger builtInTriggers[] = {
    {185, 75, 51032, 66}, {189, 87, 46673, 66}, {154, 88, 25682, 66}, {89, 92, 20046, 66},
    {40, 89, 8527, 66},   {119, 123, 34912, 66}, {250, 125, 56444, 66}, {153, 175, 52135, 66},
    {248, 193, 61636, 66}, {128, 206, 30657, 66}, {81, 244, 23520, 2},   {176, 243, 0, 66},
};

static_assert(std::size(builtInTriggers) == World::builtInTriggerCount, "the game starts with every trigger");

// A held direction steps at once, again after this delay, then whenever 15 ms more have
// passed (every other frame at usual rates).
const float firstRepeatDelay = 0.25f;
const float repeatTimerAfterStep = 0.235f;
// The step timer counts a frame as at least a millisecond, the finest the frame clock
// tells: a frame read as 0 would leave the timer at 0, and the next frame would step
// again. It counts a frame as at most a tenth of a second: a stall just before a key
// is pressed must not add the held key's next step to its first one.
const float shortestStepFrame = 0.001f;
const float longestStepFrame = 0.1f;

bool occupied(int storedValue)
{
    TRACE();
    return (storedValue & World::playerBit) != 0;
}

} // namespace

const char* instructionName(int byte)
{
    TRACE();
    switch (byte) {
    case Opcode::add: return "add ";
    case Opcode::cmpr: return "cmpr";
    case Opcode::je: return "je  ";
    case Opcode::jg: return "jg  ";
    case Opcode::jump: return "jump";
    case Opcode::jl: return "jl  ";
    case Opcode::none: return "    ";
    case Opcode::page: return "page";
    case Opcode::swap: return "swap";
    case 0: return "END";
    default: return "ERROR";
    }
}

bool endsBlock(int byte)
{
    TRACE();
    std::string name = instructionName(byte);
    return name == "END" || name == "ERROR";
}

World::World(WorldEvents& events)
    : events(events)
{
    TRACE();
}

World::~World() = default;

void World::newGame()
{
    TRACE();
    mainPage.clear();
    secondPage.clear();
    resetState();
    addBuiltInTriggers();
    markTriggers();
}

void World::resetState()
{
    TRACE();
    levelLoaded = false;
    playerX = 12;
    playerY = 14;
    playerLocation = PlayerLocation::memory;
    playerPage = 0;
    dirX = dirY = 0;
    stepDue = false;
    lateRelease[0] = lateRelease[1] = 0;
    endTimer = 0;
    lastBumpX = lastBumpY = lastBumpDirX = lastBumpDirY = noBump;
    moving = false;
    cameraBottom = 0;
    hintState = 1;
    programLocation = 0;
    programLine = 0;
    stepTimer = 0;
    dataRegister = 0;
    pageRegister = mainPageNumber;
    compareRegister = 255;
    pauseMenuOpen = false;
}

void World::addBuiltInTriggers()
{
    TRACE();
    jumps.assign(std::begin(builtInTriggers), std::end(builtInTriggers));
}

void World::markTriggers()
{
    TRACE();
    for (const JumpTrigger& trigger : jumps)
        page(trigger.realm).cell(trigger.x, trigger.y).marks = Realm::triggerMark;
}

bool World::loadLevel(const std::string& mainPath, const std::string& secondPath)
{
    TRACE();
    bool mainLoaded = loadMap(mainPath, mainPage, glyphs);
    bool secondLoaded = loadMap(secondPath, secondPage, glyphs);
    // The game goes on with whatever loaded; the log tells what failed.
    levelLoaded = true;
    return mainLoaded && secondLoaded;
}

Realm& World::page(int number)
{
    TRACE();
    return number == secondPageNumber ? secondPage : mainPage;
}

Realm& World::programPage()
{
    TRACE();
    // Inside the page register the bit turns a 2 into 66.
    if (playerLocation == PlayerLocation::pageRegister)
        return mainPage;
    return page(pageRegister);
}

Realm& World::viewPage()
{
    TRACE();
    switch (playerLocation) {
    case PlayerLocation::memory: return page(playerPage);
    case PlayerLocation::pageRegister: return mainPage;
    default: return page(pageRegister);
    }
}

std::string World::stateText() const
{
    TRACE();
    char text[160];
    std::snprintf(text, sizeof text, "%d,%d location %d page %d | program %d,%d+%d | data %d page %d compare %d",
                  playerX, playerY, playerLocation, playerPage, programLocation / 256, programLocation % 256,
                  programLine, dataRegister, pageRegister, compareRegister);
    return text;
}

int World::playerPageNumber() const
{
    TRACE();
    return playerPage == 0 ? mainPageNumber : playerPage;
}

bool World::onProgramPage() const
{
    TRACE();
    return playerLocation != PlayerLocation::memory || playerPageNumber() == pageRegister;
}

bool World::isPlayerAt(int x, int y) const
{
    TRACE();
    return playerLocation == PlayerLocation::memory && playerX == x && playerY == y;
}

int World::value(int x, int y)
{
    TRACE();
    int byte = programPage().cell(x, y).value;
    if (isPlayerAt(x, y) && playerPageNumber() == pageRegister) {
        byte |= playerBit;
        operandHadPlayerBit = true;
    }
    return byte;
}

void World::processInputPressed(int code, int device)
{
    TRACE();
    events.startArmedRecording();
    if (endTimer > 0)
        return;
    if (code == GameInput::pause) {
        if (!levelLoaded) {
            events.loadLevel();
        } else if (!pauseMenuOpen) {
            pauseMenuOpen = true;
            events.openPauseMenu();
        } else {
            events.playSound("select.wav", 5);
            pauseMenuOpen = false;
            events.closePauseMenu();
        }
        return;
    }
    if (pauseMenuOpen) {
        events.pauseMenuInput(code, device);
        return;
    }
    if (!levelLoaded)
        return;
    switch (code) {
    case GameInput::left: pressDirection(dirX, -1); break;
    case GameInput::right: pressDirection(dirX, 1); break;
    case GameInput::up: pressDirection(dirY, -1); break;
    case GameInput::down: pressDirection(dirY, 1); break;
    case GameInput::attack:
        if (playerLocation == PlayerLocation::memory && playerPage != 0) {
            playerPage = mainPageNumber + secondPageNumber - playerPage;
            events.playSound("jump.wav", 0);
            events.tapTaken();
        } else {
            events.playSound("disabled.wav", 5);
        }
        break;
    case GameInput::item:
        if (hintState != 2)
            hintState = 0;
        break;
    default:
        break;
    }
}

void World::pressDirection(int& held, int direction)
{
    TRACE();
    // A key repeat of the held direction must not restart the step timer.
    if (held == direction)
        return;
    held = direction;
    stepTimer = 0;
    stepDue = true;
}

void World::releaseDirection(int axis, int direction)
{
    TRACE();
    int& held = axis == 0 ? dirX : dirY;
    if (held != direction)
        return;
    // A tap shorter than a frame still makes its step: the release waits for it.
    if (stepDue) {
        lateRelease[axis] = direction;
        return;
    }
    held = 0;
    if (dirX == 0 && dirY == 0) {
        stepTimer = 0;
        lastBumpX = lastBumpY = lastBumpDirX = lastBumpDirY = noBump;
        moving = false;
    }
}

void World::processInputReleased(int code, int device)
{
    TRACE();
    if (endTimer > 0 || pauseMenuOpen || !levelLoaded)
        return;
    switch (code) {
    case GameInput::left: releaseDirection(0, -1); break;
    case GameInput::right: releaseDirection(0, 1); break;
    case GameInput::up: releaseDirection(1, -1); break;
    case GameInput::down: releaseDirection(1, 1); break;
    case GameInput::item:
        if (hintState != 2)
            hintState = 1;
        break;
    default:
        break;
    }
}

void World::step(float dt)
{
    TRACE();
    // Once the bit has escaped the world stands still while the screen closes.
    if (!levelLoaded || pauseMenuOpen || endTimer > 0)
        return;
    dt = std::clamp(dt, shortestStepFrame, longestStepFrame);
    if (stepTimer != 0 && stepTimer <= firstRepeatDelay) {
        stepTimer += dt;
        return;
    }
    bool tapped = stepDue;
    bool movedX = move(0, dirX);
    bool movedY = move(1, dirY);
    stepDue = false;
    if (stepTimer == 0)
        stepTimer += dt;
    else
        stepTimer = repeatTimerAfterStep;
    if ((dirX != 0 || dirY != 0) && execute()) {
        programLine++;
        if (!movedX && !movedY)
            events.playSound("cpu.wav", 0);
    }
    if (tapped)
        events.tapTaken();
    for (int axis = 0; axis < 2; axis++) {
        int direction = lateRelease[axis];
        lateRelease[axis] = 0;
        if (direction != 0)
            releaseDirection(axis, direction);
    }
}

bool World::move(int axis, int delta)
{
    TRACE();
    if (delta == 0)
        return false;
    int d = delta < 0 ? -1 : 1;
    if (playerLocation == PlayerLocation::memory)
        return moveInMemory(axis, d);
    if (axis == 1)
        moveInRegisters(d);
    return false;
}

bool World::moveInMemory(int axis, int d)
{
    TRACE();
    int targetX = playerX + (axis == 0 ? d : 0);
    int targetY = playerY + (axis == 1 ? d : 0);
    if (targetX < 0 || targetX >= Realm::size || targetY < 0 || targetY >= Realm::size)
        return false;
    Realm& realm = viewPage();
    Cell& target = realm.cell(targetX, targetY);
    if (occupied(target.value)) {
        bool repeated = (lastBumpX == playerX || lastBumpY == playerY) && lastBumpDirX == dirX &&
                        lastBumpDirY == dirY;
        moving = false;
        target.marks |= Realm::bumpMark;
        target.fade = 100;
        if (repeated)
            return false;
        events.playSound("bump2.wav", 5);
        lastBumpX = playerX;
        lastBumpY = playerY;
        lastBumpDirX = dirX;
        lastBumpDirY = dirY;
        return true;
    }
    if (moving) {
        events.playSound("move6b.wav", 0);
    } else {
        events.playSound("move8.wav", 0);
        moving = true;
    }
    lastBumpX = lastBumpY = lastBumpDirX = lastBumpDirY = noBump;
    Cell& left = realm.cell(playerX, playerY);
    left.marks |= Realm::trailMark;
    left.fade = 100;
    playerX = targetX;
    playerY = targetY;
    if (playerX == exitX && playerY == exitY && playerPage != secondPageNumber && endTimer == 0) {
        endTimer = 0.05f;
        events.fadeOutMusic(1500);
        return true;
    }
    if (target.marks & Realm::triggerMark) {
        for (auto trigger = jumps.begin(); trigger != jumps.end(); ++trigger) {
            if (trigger->x == playerX && trigger->y == playerY) {
                programLocation = trigger->code;
                programLine = 0;
                dataRegister = 0;
                jumps.erase(trigger);
                break;
            }
        }
        target.marks &= uint8_t(~Realm::triggerMark);
    }
    return true;
}

void World::moveInRegisters(int d)
{
    TRACE();
    int location = playerLocation + d;
    if (location < PlayerLocation::dataRegister || location > PlayerLocation::compareRegister)
        return;
    const int stored[] = {0, dataRegister, pageRegister, compareRegister};
    if (occupied(stored[location]))
        return;
    playerLocation = location;
}

bool World::execute()
{
    TRACE();
    operandHadPlayerBit = false;
    bool next = runInstruction();
    // The instruction read the player's bit as part of an operand: the bit has
    // changed the running code.
    if (operandHadPlayerBit)
        events.playerChangedCode();
    return next;
}

bool World::runInstruction()
{
    TRACE();
    // programLocation 0 is "no program", whatever memory holds at column 0.
    if (programLocation == 0)
        return false;
    int column = programLocation / 256;
    int row = programLocation % 256 + programLine;
    if (row > 255)
        return false;
    if (!onProgramPage())
        return false;
    int opcode = programPage().cell(column, row).value;
    int compare = compareRegister;
    if (playerLocation == PlayerLocation::compareRegister)
        compare |= playerBit;
    switch (opcode) {
    case Opcode::add:
        dataRegister = (dataRegister + value(column + 1, row)) % 256;
        events.playSound("add.wav", 0);
        return true;
    case Opcode::cmpr: {
        int data = dataRegister;
        if (playerLocation == PlayerLocation::dataRegister)
            data |= playerBit;
        int operand = value(column + 1, row);
        compareRegister = data == operand ? 0 : data < operand ? 255 : 1;
        return true;
    }
    case Opcode::je:
        if (compare != 0)
            return true;
        jump(column, row);
        return false;
    case Opcode::jg:
        if (compare != 1)
            return true;
        jump(column, row);
        return false;
    case Opcode::jl:
        if (compare < 2)
            return true;
        jump(column, row);
        return false;
    case Opcode::jump:
        jump(column, row);
        return false;
    case Opcode::page:
        pageRegister = value(column + 1, row);
        if (pageRegister == secondPageNumber && playerPage == 0)
            playerPage = mainPageNumber;
        events.playSound("jump.wav", 0);
        return true;
    case Opcode::swap:
        return swap(value(column + 1, row), value(column + 2, row));
    default:
        return false;
    }
}

bool World::swap(int x, int y)
{
    TRACE();
    Realm& realm = programPage();
    Cell& cell = realm.cell(x, y);
    int stored = cell.value;
    cell.value = uint8_t(dataRegister);
    dataRegister = stored;
    events.cellWritten(realm, x, y);
    if (playerLocation == PlayerLocation::dataRegister) {
        playerLocation = PlayerLocation::memory;
        playerX = x;
        playerY = y;
        if (playerPage != 0)
            playerPage = pageRegister;
        events.playSound("swap.wav", 0);
        return true;
    }
    if (isPlayerAt(x, y) && (playerPage == 0 || playerPage == pageRegister)) {
        playerLocation = PlayerLocation::dataRegister;
        events.playSound("swap.wav", 0);
        return true;
    }
    return true;
}

void World::jump(int x, int y)
{
    TRACE();
    Realm& realm = programPage();
    int targetX = jumpOperand(x + 1, y);
    int targetY = jumpOperand(x + 2, y);
    if (targetX == 0 && targetY == 0)
        return;
    programLine = 0;
    if (targetY == 0)
        return;
    // Find the top of the block holding the target, so the listing shows all of it.
    int top = targetY;
    while (top > 0 && !endsBlock(realm.cell(targetX, top - 1).value)) {
        top--;
        programLine++;
    }
    // Column 0 row 0 would read as "no program": that block starts one row lower.
    if (targetX == 0 && top == 0) {
        top = 1;
        programLine--;
    }
    programLocation = targetX * 256 + top;
}

int World::jumpOperand(int x, int y)
{
    TRACE();
    // Unlike other operands, the bit counts here whichever page the player is on.
    int byte = programPage().cell(x, y).value;
    if (isPlayerAt(x, y)) {
        byte |= playerBit;
        operandHadPlayerBit = true;
    }
    return byte;
}
