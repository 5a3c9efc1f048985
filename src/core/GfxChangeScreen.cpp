#include "core/GfxChangeScreen.h"

#include "core/Trace.h"

void GfxChangeScreen::init(Camera& camera, AssetManager* assets)
{
    TRACE();
    status = 1;
}

int GfxChangeScreen::draw(Camera& camera, float dt)
{
    TRACE();
    return 0;
}
