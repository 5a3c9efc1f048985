#pragma once

#include "core/EventHandler.h"

class AssetManager;

// Asks the player to accept a new display mode, and reverts it otherwise.
class GfxChangeScreen : public EventHandler {
public:
    int status = 0; // 0 waiting, 1 accepted, 2 reverted
    void init(Camera& camera, AssetManager* assets);
    int draw(Camera& camera, float dt) override;
};
