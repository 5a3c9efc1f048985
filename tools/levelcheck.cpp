// Checks the shipped level: prints each trigger's program as the game lists it, checks
// the blocks, proves that walking alone cannot reach the exit, and plays the scripted
// solution through the game's own rules.
//
//   levelcheck ram.txt ram2.txt solution.txt [--trace]

#include "core/CircularLog.h"
#include "core/LevelCheck.h"
#include "core/Trace.h"
#include "core/World.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int fail(const std::string& message)
{
    TRACE();
    std::printf("FAILED: %s\n", message.c_str());
    return 1;
}

void printPrograms(World& world)
{
    TRACE();
    std::printf("== Programs\n");
    int number = 1;
    for (const JumpTrigger& trigger : world.jumps) {
        std::printf("trigger %d at %d,%d on page %d", number++, trigger.x, trigger.y, trigger.realm);
        if (trigger.code == 0) {
            std::printf(": stops the program\n");
            continue;
        }
        Realm& program = triggerProgramPage(world, trigger);
        if (&program != &world.page(trigger.realm))
            std::printf(" (its program is on page %d)", trigger.realm == 2 ? 66 : 2);
        std::printf(":\n");
        for (const std::string& line : programListing(program, trigger.code))
            std::printf("    %s\n", line.c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    TRACE();
    if (argc < 4 || (argc == 5 && std::strcmp(argv[4], "--trace") != 0) || argc > 5) {
        std::printf("usage: levelcheck ram.txt ram2.txt solution.txt [--trace]\n");
        return 2;
    }
    bool trace = argc == 5;
    SilentEvents events;
    World world(events);
    world.newGame();
    if (!world.loadLevel(argv[1], argv[2])) {
        const CircularLog& log = CircularLog::instance();
        for (int age = log.size() - 1; age >= 0; age--)
            std::printf("%s\n", log.fromNewest(age).c_str());
        return fail("the level files did not load");
    }

    printPrograms(world);

    std::vector<std::string> problems = structureProblems(world);
    for (const std::string& problem : problems)
        std::printf("problem: %s\n", problem.c_str());
    if (!problems.empty())
        return fail("the level is not sound");

    WalkingReach reach = walkingReach(world);
    std::printf("== Walking alone: %d bytes of the main page reachable from the start\n", reach.cells);
    if (reach.exitReached)
        return fail("the exit can be reached by walking alone");

    std::vector<SolutionTap> taps;
    std::string error;
    if (!readSolution(argv[3], taps, error))
        return fail(error);
    int played = playSolution(world, taps, trace ? stdout : nullptr);
    if (played < 0) {
        if (!taps.empty())
            printWorldState(stdout, world, taps.back());
        return fail("the solution does not reach the exit");
    }
    std::printf("== Solution: the bit escapes at tap %d of %zu (script line %d)\n", played, taps.size(),
                taps[played - 1].line);
    std::printf("OK\n");
    return 0;
}
