#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Shared by the fuzz targets: each fuzzing process runs headless in its own per-user
// folder (XDG_DATA_HOME, unless the caller gave one) and leaves that folder behind on
// exit. Every target defines prepareTarget(), run once before the first input.
void prepareTarget();

// Writes the input as a file in the per-user folder and returns its path.
std::string writeInput(const std::string& name, const uint8_t* data, size_t size);

// The same walk through the world for every input: each direction held for a few
// steps, the page flip and the hint key. It runs the program in memory as the player
// would, so that whatever a file put there is executed.
class World;
void walkAround(World& world);
