#include "core/Replay.h"

#include "core/Trace.h"

std::string Replay::start(AssetManager* assets, Camera& camera, int entry)
{
    TRACE();
    return "Replays cannot be played in this version.";
}

int Replay::draw(Camera& camera, float dt)
{
    TRACE();
    return 0;
}
