#include "core/GfxChangeScreen.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CircularLog.h"
#include "core/Camera.h"
#include "core/Joystick.h"
#include "core/NineSlice.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

#include <algorithm>

GfxChangeScreen::GfxChangeScreen()
{
    TRACE();
}

GfxChangeScreen::~GfxChangeScreen()
{
    TRACE();
}

void GfxChangeScreen::init(Camera& camera, AssetManager* assets)
{
    TRACE();
    countdown = 25;
    status = 0;
    shownAt = SDL_GetTicks();
    this->assets = assets;
    text = std::make_unique<CachedText>(&camera, assets->getFont("main.ttf"), colourWhite, "");
    text->shadowOffset = 2;
}

std::string GfxChangeScreen::message(int seconds)
{
    TRACE();
    const Translator& words = translator();
    return words.translate("GRAPHICS RESOLUTION CHANGED") + "\n\n\n\n\n" + words.translate("To accept changes, press: A")
        + "\n\n\n\n\n"
        + words.translatePlural(seconds, "Press anything else or wait # second to reset",
            "Press anything else or wait # seconds to reset", "Countdown after screen resolution has been changed");
}

void GfxChangeScreen::finish(bool accepted)
{
    TRACE();
    if (status != 0)
        return;
    Storage& settings = settingsStorage();
    settings.setString("needConfirmGfxChange", "0");
    if (!accepted) {
        settings.setInt("windowW", 1280);
        settings.setInt("windowH", 800);
        settings.setInt("windowBorder", 1);
        settings.setString("fullscreen", "0");
        settings.setString("fullscreenModified", "0");
        settings.setString("fullscreenAutodetect", "0");
    }
    saveSettings();
    LOG("Display mode " << (accepted ? "accepted" : "reverted to a 1280 x 800 window"));
    status = accepted ? 1 : 2;
}

int GfxChangeScreen::draw(Camera& camera, float dt)
{
    TRACE();
    const int W = camera.width, H = camera.height;
    SDL_SetRenderDrawColor(camera.renderer, 0, 0, 0, 255);
    SDL_RenderClear(camera.renderer);
    // Wrapped 50 pixels short of the panel's right edge, as far in as the text starts
    // from its left edge, so that no line runs over the frame.
    text->setTextWrapped(message(int(countdown)), 700);
    int copies = 0;
    Texture* wall = assets->getTexture("titlescreen.png");
    if (wall && wall->texture) {
        // Covers the whole frame at the picture's own proportions.
        double scale = std::max(double(W) / wall->getWidth(), double(H) / wall->getHeight());
        int w = int(wall->getWidth() * scale + 0.5), h = int(wall->getHeight() * scale + 0.5);
        SDL_Rect cover{(W - w) / 2, (H - h) / 2, w, h};
        SDL_SetTextureAlphaMod(wall->texture, 60);
        SDL_RenderCopy(camera.renderer, wall->texture, nullptr, &cover);
        copies++;
    }
    Texture* panel = assets->getTexture("overlay.png");
    if (panel && panel->texture)
        copies += drawNineSlice(camera.renderer, panel->texture, W / 2 - 400, H / 2 - 300, 800, 600, 930, 930, 70, 70);
    text->draw(W / 2 - 350, H / 2 - 230);
    if (countdown <= 0)
        finish(false);
    else
        countdown -= dt;
    return copies + 1;
}

bool GfxChangeScreen::onKeyDown(SDL_Event* event)
{
    TRACE();
    // A key held down through the display rebuild is not an answer.
    if (event->key.repeat == 0 && SDL_GetTicks() - shownAt >= keySettleMs)
        finish(event->key.keysym.sym == SDLK_a);
    return true;
}

bool GfxChangeScreen::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    if (stick->isConfigured)
        finish(buttonCode(button) == stick->attack);
    return true;
}
