#pragma once

#include "core/EventHandler.h"

#include <string>

class AssetManager;

// The replay player screen; this build plays no replays yet.
class Replay : public EventHandler {
public:
    std::string start(AssetManager* assets, Camera& camera, int entry);
    int draw(Camera& camera, float dt) override;
};
