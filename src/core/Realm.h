#pragma once

#include <cstdint>
#include <vector>

// One byte of memory as the game keeps it: the value, and the marks the screen draws
// over it with their fading countdown.
struct Cell {
    uint8_t value = 0;
    uint8_t marks = 0; // bumpMark, trailMark, triggerMark
    uint8_t fade = 0;  // countdown of the bump and trail marks, 100 when made
};

// One memory page of 256 x 256 cells. Coordinates outside the page all land on one
// spare cell, so stray reads and writes never leave the page's memory.
class Realm {
public:
    static constexpr int size = 256;
    static constexpr uint8_t bumpMark = 1;
    static constexpr uint8_t trailMark = 2;
    static constexpr uint8_t triggerMark = 4;

    Realm();
    virtual ~Realm();

    std::vector<Cell> cells; // row-major, index y * 256 + x
    Cell spare;

    Cell& cell(int x, int y);
    void clear();
};
