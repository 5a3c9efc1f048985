#pragma once

#include "core/GlyphTable.h"
#include "core/Realm.h"
#include "core/WorldEvents.h"

#include <cstddef>
#include <string>
#include <vector>

// A cell that starts a program block when the player steps on it.
struct JumpTrigger {
    int x;
    int y;
    int code;  // programLocation of the block: column * 256 + top row
    int realm; // page of the cell, 66 or 2
};

// Where the player's bit is.
namespace PlayerLocation {
constexpr int memory = 0;
constexpr int dataRegister = 1;
constexpr int pageRegister = 2;
constexpr int compareRegister = 3;
} // namespace PlayerLocation

// The memory world and its rules: the player's bit walking through two memory pages
// and the CPU registers, and the program in memory that runs one instruction for each
// step of the player. The screen that owns a world draws straight from its fields
// and hears about sounds and the rest through WorldEvents.
class World {
public:
    static constexpr int mainPageNumber = 66;
    static constexpr int secondPageNumber = 2;
    static constexpr int playerBit = 64;
    static constexpr int exitX = 176;
    static constexpr int exitY = 243;
    static constexpr int noBump = -99;
    static constexpr size_t builtInTriggerCount = 12;

    explicit World(WorldEvents& events);
    virtual ~World();

    WorldEvents& events;
    GlyphTable glyphs;

    Realm mainPage;   // page 66
    Realm secondPage; // page 2

    int dataRegister = 0;
    int pageRegister = mainPageNumber;
    int compareRegister = 255; // 0 equal, 1 data greater, 255 data less

    int playerX = 12;
    int playerY = 14;
    int playerLocation = PlayerLocation::memory;
    int playerPage = 0; // 0: the player has no page of its own yet and stands for 66

    int programLocation = 0; // column * 256 + top row of the running block; 0 for none
    int programLine = 0;     // current instruction, counted down from the top row

    std::vector<JumpTrigger> jumps;

    int dirX = 0;
    int dirY = 0;
    float stepTimer = 0;
    bool stepDue = false;        // a direction was pressed and has not stepped yet
    int lateRelease[2] = {0, 0}; // per axis: a direction let go before its step
    bool moving = false; // a step sound has played since the player last stood still
    int lastBumpX = noBump;
    int lastBumpY = noBump;
    int lastBumpDirX = noBump;
    int lastBumpDirY = noBump;
    int hintState = 2; // 2 before a game starts, then 1 while ITEM is up, 0 while held
    bool pauseMenuOpen = false;
    float endTimer = 0; // above 0 once the bit has escaped
    bool levelLoaded = false;
    int cameraBottom = 0;

    // A new game: empty memory, the start position and registers, and the built-in
    // jump triggers marked in memory. The level files are loaded later.
    void newGame();
    // The game state without memory and triggers, as a new or continued game starts.
    void resetState();
    void addBuiltInTriggers();
    // Gives every listed trigger's cell exactly the trigger mark.
    void markTriggers();
    // Loads the main page's and the second page's level files ("ram.txt", "ram2.txt").
    // The level counts as loaded either way; false when a file failed.
    bool loadLevel(const std::string& mainPath, const std::string& secondPath);

    Realm& page(int number);
    Realm& programPage();
    Realm& viewPage();
    // The page the player walks in, 0 read as 66.
    int playerPageNumber() const;
    // Where the bit is and what the program holds, in one line: the game's log and
    // levelcheck's trace write it after a tap.
    std::string stateText() const;

    // The program runs only while the player is on its page or inside a register.
    bool onProgramPage() const;
    // The player's bit is in memory at (x, y), on whichever page.
    bool isPlayerAt(int x, int y) const;
    // Operand read: the program page's byte with the player's bit when the player
    // stands exactly there on the program's page.
    int value(int x, int y);

    // device: 0 for the keyboard, controller number + 100 otherwise.
    void processInputPressed(int code, int device);
    void processInputReleased(int code, int device);
    // Advances the step timer by one frame of dt seconds; steps and runs the program.
    void step(float dt);
    // axis 0 is horizontal, 1 vertical. True when the step counts as movement.
    bool move(int axis, int delta);
    // Runs the current instruction. True when the program goes on to the next line.
    bool execute();
    // Jumps to the address held by the two bytes right of (x, y).
    void jump(int x, int y);

private:
    bool operandHadPlayerBit = false; // set by the operand reads of the running instruction

    bool runInstruction();
    bool moveInMemory(int axis, int d);
    void moveInRegisters(int delta);
    bool swap(int x, int y);
    int jumpOperand(int x, int y);
    void pressDirection(int& held, int direction);
    // axis 0 is horizontal, 1 vertical.
    void releaseDirection(int axis, int direction);
};

// The listing name of a program byte: four characters for an instruction, "END" for
// 0 and "ERROR" for anything else; both end a block.
const char* instructionName(int byte);
bool endsBlock(int byte);
