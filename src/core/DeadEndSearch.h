#pragma once

#include "core/LevelCheck.h"
#include "core/World.h"

#include <cstdint>
#include <string>
#include <vector>

// The dead-end search: every state a player can reach from a world as it stands, by
// the taps a player has (the four directions, the four diagonals and the page flip),
// and among them every state from which no taps lead to the exit any more. Holding a
// key is the same as tapping it again and again, and the hint key changes nothing the
// rules read, so these nine taps are all a player can do.

struct DeadEndLimits {
    uint64_t maxStates = 40000000;
    double maxSeconds = 3600;
    int scripts = 10; // dead ends to give a tap script for
};

// The shortest way from the start into one dead end.
struct DeadEndScript {
    std::vector<SolutionTap> taps;
    std::string state; // where the last tap leaves the bit
};

struct DeadEndReport {
    uint64_t states = 0;
    uint64_t edges = 0; // taps that lead from one state to another, or out
    uint64_t deadEnds = 0;
    // Dead ends whose shortest way in runs through escapable states only: the taps
    // that close a trap.
    uint64_t trapDoors = 0;
    bool startEscapes = false; // false: no taps at all lead from the start to the exit
    bool complete = false;
    std::string reason; // why an incomplete search stopped
    double seconds = 0;
    std::vector<DeadEndScript> scripts; // shortest first, one per trap
};

// Searches from `start` (a new game with the level loaded, usually); `start` itself
// is left as it is. An incomplete search counts the states it could not explore as
// escapable, so every dead end it reports is one.
DeadEndReport findDeadEnds(const World& start, const DeadEndLimits& limits);
