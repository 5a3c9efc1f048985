#pragma once

#include "core/KeyBindings.h"
#include "core/World.h"

#include <cstdio>
#include <string>
#include <vector>

// Checks a level the way a designer needs it: what each trigger's program reads like
// on screen, whether the blocks are sound, whether the exit can be walked to without
// solving anything, and whether a scripted solution escapes through the real rules.

// The checks hear nothing: no sound, no menu, no recorder.
class SilentEvents : public WorldEvents {
public:
    void playSound(const std::string&, int) override;
    void fadeOutMusic(int) override;
    void startArmedRecording() override;
    void openPauseMenu() override;
    void pauseMenuInput(int, int) override;
    void closePauseMenu() override;
    void loadLevel() override;
    void playerChangedCode() override;
    void cellWritten(Realm&, int, int) override;
    void tapTaken() override;
};

// One scripted tap: a press, one frame, a release and one more frame. A diagonal tap
// holds a vertical and a horizontal direction together for that one step.
struct SolutionTap {
    int code;
    int line;                       // in the script, for messages
    int alsoHeld = GameInput::none; // the horizontal direction of a diagonal tap
};

// Reads a tap script: an action name (UP, DOWN, LEFT, RIGHT, ATTACK, ITEM, or a
// diagonal such as DOWN+LEFT) and an optional repeat count per line, "#" starting a
// comment. False with a message naming the line that cannot be read.
bool readSolution(const std::string& path, std::vector<SolutionTap>& taps, std::string& error);
// The script lines of taps, repeats counted: the form readSolution reads.
std::vector<std::string> tapScriptLines(const std::vector<SolutionTap>& taps);
std::string tapName(const SolutionTap& tap);

void playTap(World& world, const SolutionTap& tap);

// Plays taps until the end timer starts; the number of taps played, or -1 when the
// script ran out first. With a trace file, the state after each script line goes there.
int playSolution(World& world, const std::vector<SolutionTap>& taps, FILE* trace = nullptr);
void printWorldState(FILE* out, const World& world, const SolutionTap& tap);

// The main-page cells the bit can walk to from where it stands, on memory as it is,
// without any program changing it.
struct WalkingReach {
    int cells = 0;
    bool exitReached = false;
};
WalkingReach walkingReach(World& world);

// The page a trigger's program is read from: its own page, or the other one when only
// that page holds an instruction at the program's address (a program on page 2 can be
// started from the main page while the page register holds 2).
Realm& triggerProgramPage(World& world, const JumpTrigger& trigger);

// The listing of the block starting at `code` in a page, one line per row as the game
// screen shows it; ends at the block's end.
std::vector<std::string> programListing(Realm& page, int code);

// Faults in the level's structure, one message each: blocks that do not end, triggers
// or the exit on occupied bytes.
std::vector<std::string> structureProblems(World& world);
