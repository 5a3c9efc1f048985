#include "core/Replay.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Recorder.h"
#include "core/Trace.h"
#include "core/Translator.h"

#include <cstdio>

namespace {

// An outlined font stays readable over whatever the replay draws.
const char* const osdFont = "sign";

} // namespace

Replay::Replay()
{
    TRACE();
}

Replay::~Replay()
{
    TRACE();
}

std::string Replay::start(AssetManager* assets, Camera& camera, int entry)
{
    TRACE();
    if (!osdText)
        osdText = std::make_unique<CachedText>(&camera, assets->getFont(osdFont), colourWhite, "");
    if (!titleText)
        titleText = std::make_unique<CachedText>(&camera, assets->getFont(osdFont), colourWhite, "");
    osdDirty = true;
    std::string message = recorder().openReplay(entry, assets, &camera);
    titleText->setText(recorder().fileName);
    return message;
}

int Replay::draw(Camera& camera, float dt)
{
    TRACE();
    Recorder& player = recorder();
    // After a fast-forward the time shows the jump at once.
    if (player.skipFrames > 0)
        osdDirty = true;
    int blits = player.playFrame(camera);
    if (player.skipFrames != 0 || osdMode == 2) {
        osdDirty = true;
        return blits;
    }
    if (osdDirty || player.frameCount % 60 == 0) {
        int seconds = player.frameCount / 60;
        char time[32];
        std::snprintf(time, sizeof time, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        if (osdMode == 0)
            osdText->setText(translator().translate("Replay: RIGHT - fast forward, ESC - exit, TAB - toggle osd. ")
                + time);
        else
            osdText->setText(time);
    }
    osdText->draw(10, camera.height - osdText->getHeight() - 10);
    if (osdMode == 0)
        titleText->draw(10, camera.height - titleText->getHeight() - osdText->getHeight() - 20);
    osdDirty = false;
    return blits + (osdMode == 0 ? 2 : 1);
}

// Ends the playback; the screen is left for the menu.
bool Replay::leave()
{
    TRACE();
    if (recorder().mode == Recorder::modePlaying)
        LOG("REPLAY: stopped at frame " << recorder().frameCount);
    recorder().stop();
    return false;
}

bool Replay::onKeyDown(SDL_Event* event)
{
    TRACE();
    switch (event->key.keysym.sym) {
    case SDLK_ESCAPE:
        return leave();
    case SDLK_RIGHT:
        recorder().skipFrames = fastForwardFrames;
        break;
    case SDLK_TAB:
        osdMode = (osdMode + 1) % 3;
        osdDirty = true;
        break;
    default:
        break;
    }
    return true;
}

bool Replay::onMouseDownLeft(SDL_Event* event)
{
    TRACE();
    return leave();
}

bool Replay::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    return leave();
}

bool Replay::onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level)
{
    TRACE();
    recorder().skipFrames = fastForwardFrames;
    return true;
}

bool Replay::onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value)
{
    TRACE();
    recorder().skipFrames = fastForwardFrames;
    return true;
}
