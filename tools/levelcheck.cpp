// Checks the shipped level: prints each trigger's program as the game lists it, checks
// the blocks, proves that walking alone cannot reach the exit, and plays the scripted
// solution through the game's own rules. With --dead-ends it searches every state a
// player can reach instead, for states from which the exit can no longer be reached.
//
//   levelcheck ram.txt ram2.txt solution.txt [--trace]
//   levelcheck ram.txt ram2.txt --dead-ends [--max-states N] [--max-seconds S]

#include "core/CircularLog.h"
#include "core/DeadEndSearch.h"
#include "core/LevelCheck.h"
#include "core/Trace.h"
#include "core/World.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const usage = "usage: levelcheck ram.txt ram2.txt solution.txt [--trace]\n"
                          "       levelcheck ram.txt ram2.txt --dead-ends [--max-states N] [--max-seconds S]\n";

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

int checkSolution(World& world, const char* path, bool trace)
{
    TRACE();
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
    if (!readSolution(path, taps, error))
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

// The last line says it all: "dead ends: N, states: M, complete: yes" (or "no" with why).
int searchDeadEnds(World& world, const DeadEndLimits& limits)
{
    TRACE();
    std::printf("== Dead ends: every state a player can reach from a new game by taps\n");
    std::fflush(stdout);
    DeadEndReport report = findDeadEnds(world, limits);
    std::printf("states: %llu, edges: %llu, time: %.1f s\n", (unsigned long long)report.states,
                (unsigned long long)report.edges, report.seconds);
    if (!report.startEscapes)
        std::printf("no taps lead from the start to the exit: every state is a dead end\n");
    std::printf("dead ends entered straight from an escapable state: %llu\n",
                (unsigned long long)report.trapDoors);
    int number = 1;
    for (const DeadEndScript& script : report.scripts) {
        std::printf("\n# dead end %d of %zu shown (%zu taps): %s\n", number++, report.scripts.size(),
                    script.taps.size(), script.state.c_str());
        for (const std::string& line : tapScriptLines(script.taps))
            std::printf("%s\n", line.c_str());
    }
    if (!report.scripts.empty())
        std::printf("\n");
    std::printf("dead ends: %llu, states: %llu, complete: %s\n", (unsigned long long)report.deadEnds,
                (unsigned long long)report.states, report.complete ? "yes" : ("no (" + report.reason + ")").c_str());
    return report.deadEnds == 0 && report.complete ? 0 : 1;
}

// A positive number for a limit; false for anything else.
bool readLimit(const char* text, double& limit)
{
    TRACE();
    char* end = nullptr;
    limit = std::strtod(text, &end);
    return end != text && *end == 0 && limit > 0;
}

} // namespace

int main(int argc, char** argv)
{
    TRACE();
    bool deadEnds = argc >= 4 && std::strcmp(argv[3], "--dead-ends") == 0;
    bool trace = !deadEnds && argc == 5 && std::strcmp(argv[4], "--trace") == 0;
    bool usable = argc == 4 || trace;
    DeadEndLimits limits;
    if (deadEnds) {
        usable = argc % 2 == 0;
        for (int i = 4; usable && i + 1 < argc; i += 2) {
            double limit = 0;
            usable = readLimit(argv[i + 1], limit);
            if (std::strcmp(argv[i], "--max-states") == 0)
                limits.maxStates = uint64_t(limit);
            else if (std::strcmp(argv[i], "--max-seconds") == 0)
                limits.maxSeconds = limit;
            else
                usable = false;
        }
    }
    if (!usable) {
        std::printf("%s", usage);
        return 2;
    }
    SilentEvents events;
    World world(events);
    world.newGame();
    if (!world.loadLevel(argv[1], argv[2])) {
        const CircularLog& log = CircularLog::instance();
        for (int age = log.size() - 1; age >= 0; age--)
            std::printf("%s\n", log.fromNewest(age).c_str());
        return fail("the level files did not load");
    }
    if (deadEnds)
        return searchDeadEnds(world, limits);
    return checkSolution(world, argv[3], trace);
}
