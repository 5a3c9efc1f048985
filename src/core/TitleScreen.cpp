#include "core/TitleScreen.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CachedTextCollection.h"
#include "core/Camera.h"
#include "core/Recorder.h"
#include "core/Texture.h"
#include "core/Trace.h"

#include <algorithm>
#include <string>

namespace {

const int tileWidth = 951;
const int tileHeight = 703;

int clampAlpha(double alpha)
{
    TRACE();
    return std::max(0, std::min(255, int(alpha)));
}

} // namespace

void TitleScreen::reset()
{
    TRACE();
    zoom = 0.7;
    zoomRate = 0;
    scrollY = 195.0f;
    timer = 0;
    zoomDoneTime = 0;
    shaken = false;
    textY = -1;
}

void TitleScreen::start()
{
    TRACE();
    if (timer == 0)
        timer = 0.01f;
}

bool TitleScreen::isFinished() const
{
    TRACE();
    return zoomDoneTime > 0 && timer - zoomDoneTime > 30.0f;
}

int TitleScreen::drawOverlay(Camera& camera, const char* name, int x, int y, int w, int h, int alpha)
{
    TRACE();
    Texture* overlay = assets->getTexture(name);
    if (!overlay || !overlay->texture)
        return 0;
    SDL_SetTextureAlphaMod(overlay->texture, Uint8(alpha));
    SDL_Rect where{x, y, w, h};
    recorder().renderCopy(camera.renderer, overlay->texture, nullptr, &where);
    return 1;
}

// Draws one story line; x < 0 centres it horizontally.
int TitleScreen::drawLine(Camera& camera, const char* text, int alpha, int x, int y, bool centredVertically)
{
    TRACE();
    CachedTextCollection* texts = assets->getCachedTexts("bobi30");
    if (!texts)
        return 0;
    CachedText* line = texts->getText(text, 0);
    if (!line->texture)
        return 0;
    SDL_SetTextureAlphaMod(line->texture, Uint8(alpha));
    if (x < 0)
        x = camera.width / 2 - line->getWidth() / 2;
    if (centredVertically)
        y = camera.height / 2 - line->getHeight() / 2;
    line->draw(x, y);
    return 1;
}

int TitleScreen::drawWall(Camera& camera, int& middleX, int& middleY)
{
    TRACE();
    int w = int(zoom * tileWidth);
    int h = int(zoom * tileHeight);
    int columns = camera.width / 470 + 2;
    int rows = camera.height / 350 + 3;
    if (columns % 2 == 0)
        columns++;
    if (rows % 2 == 0)
        rows++;
    int x0 = camera.x - columns * w / 2 + camera.width / 2;
    int y0 = int((camera.y - rows * h / 2 + camera.height / 2) - scrollY);
    if (scrollY > h)
        scrollY = 0;

    float sinceZoom = timer - zoomDoneTime;
    int copies = 0;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            SDL_Rect tile{x0 + column * w, y0 + row * h, w, h};
            if (!camera.isOutside(tile)) {
                recorder().renderCopy(camera.renderer, background, nullptr, &tile);
                copies++;
            }
            if (row != rows / 2 || column != columns / 2)
                continue;
            middleX = tile.x;
            middleY = tile.y;
            if (zoomDoneTime > 0) {
                const char* overlay = sinceZoom < 9.5f ? "titlescreen2.png" : "titlescreen3.png";
                copies += drawOverlay(camera, overlay, tile.x, tile.y, w, h, clampAlpha(sinceZoom * 255 / 3));
                if (sinceZoom > 17)
                    copies += drawOverlay(camera, "titlescreen4.png", tile.x, tile.y, w, h,
                                          clampAlpha((sinceZoom - 17) * 255 * 0.8));
            }
        }
    }
    return copies;
}

int TitleScreen::draw(Camera& camera, float dt)
{
    TRACE();
    if (!assets)
        return 0;
    if (!background) {
        Texture* wall = assets->getTexture("titlescreen.png");
        if (!wall || !wall->texture) {
            assets = nullptr;
            return 0;
        }
        background = wall->texture;
        for (int frame = 0; frame < 16; frame++) {
            Texture* picture = assets->getTexture(std::string("explode/") + char('A' + frame) + ".png");
            explosion[frame] = picture ? picture->texture : nullptr;
        }
    }
    // Other screens borrow the wall at other strengths: take it back at ours.
    SDL_SetTextureAlphaMod(background, 100);

    if (timer > 0)
        timer += dt;
    zoom += dt * zoomRate;
    if (zoom > 3.5) {
        zoom = 3.5;
        zoomRate = 0;
    }
    if (zoomRate == 0 && zoom < 3.5)
        scrollY += dt * 120;

    int middleX = 0, middleY = 0;
    int copies = drawWall(camera, middleX, middleY);
    int width = camera.width;

    if (timer > 2 && timer < 5) {
        double alpha = timer < 2.5f ? (timer - 2) * 510 : timer <= 4 ? 255 : 255 - (timer - 4) * 255;
        copies += drawLine(camera, "SOMEWHERE IN COMPUTER MEMORY", clampAlpha(alpha), -1, 0, true);
    }
    if (timer > 4.1f && zoomRate == 0 && scrollY == 0 && zoomDoneTime == 0)
        zoomRate = 0.4;
    if (zoom >= 3.5 && zoomDoneTime == 0)
        zoomDoneTime = timer;
    float t2 = timer - zoomDoneTime;
    if (zoomDoneTime <= 0 || t2 <= 4)
        return copies;
    if (t2 < 9) {
        double alpha = t2 < 5 ? (t2 - 4) * 255 : t2 <= 8 ? 255 : (9 - t2) * 255;
        return copies + drawLine(camera, "SOMETHING WONDERFUL IS ABOUT TO HAPPEN", clampAlpha(alpha), -1, middleY + 1200, false);
    }

    int frame = int((t2 - 9) * 32);
    if (frame < 16 && explosion[frame]) {
        SDL_Rect where{middleX + 1337, middleY + 1071, 500, 462};
        recorder().renderCopy(camera.renderer, explosion[frame], nullptr, &where);
        copies++;
    }
    if (t2 > 9.5f && !shaken) {
        camera.shake(20);
        shaken = true;
    }
    if (t2 > 12 && t2 < 17) {
        double alpha = t2 < 13 ? (t2 - 12) * 255 : t2 <= 16 ? 255 : (17 - t2) * 255;
        copies += drawLine(camera, "A SINGLE BIT BECAME SENTIENT", clampAlpha(alpha), -1, middleY + 1200, false);
    }
    if (t2 > 18) {
        zoomRate = -0.22;
        if (textY == -1)
            textY = middleY + 1400;
    }
    if (t2 > 21) {
        double alpha = t2 < 23 ? (t2 - 21) * 127.5 : 255;
        copies += drawLine(camera, "AND NEEDS YOUR HELP TO ESCAPE", clampAlpha(alpha), -1, textY, false);
    }
    if (t2 > 27) {
        Texture* flat = assets->getTexture("flat.png");
        if (flat && flat->texture) {
            SDL_Rect wipe{0, 0, std::min(int((t2 - 27) * width * 0.5f), width), camera.height};
            recorder().renderCopy(camera.renderer, flat->texture, nullptr, &wipe);
            copies++;
        }
    }
    return copies;
}
