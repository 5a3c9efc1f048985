#include "core/Camera.h"

#include "core/Trace.h"

#include <SDL_rect.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const float pi = 3.14159265f;

// One glide step along an axis; returns true when the axis has reached its target.
bool glideAxis(int& position, int target, bool fixedSpeed, float speed)
{
    TRACE();
    float step = fixedSpeed ? speed : (target - position) * 0.037f;
    if (std::fabs(step) < 0.04f)
        step = step < 0 ? -0.04f : 0.04f;
    int next = int(position + step);
    if (fixedSpeed) {
        if ((step > 0 && next > target) || (step < 0 && next < target))
            next = target;
        position = next;
        return position == target;
    }
    // A proportional glide never ends by itself; positions are whole pixels, so there is
    // nothing left to snap once an axis is within a twentieth of a pixel of its target.
    position = next;
    return false;
}

} // namespace

Camera::Camera(SDL_Renderer* renderer, int width, int height)
    : renderer(renderer), width(width), height(height)
{
    TRACE();
}

Camera::~Camera() = default;

void Camera::reset()
{
    TRACE();
    shakeOffsetX = shakeOffsetY = 0;
    shakeAmplitude = 0;
    shakeAngle = 0;
    alternate = true;
    shakeLevel = 0;
    targetX = targetY = 0;
    moving = false;
    spareFlag = false;
    fixedSpeed = false;
    scaleX = scaleY;
    x = y = 0;
}

void Camera::shake(float amplitude)
{
    TRACE();
    if (disabled || amplitude <= shakeAmplitude)
        return;
    alternate = false;
    shakeAmplitude = amplitude;
    shakeAngle = float(std::rand() % 360) * pi / 180.0f;
    shakeLevel = amplitude > 30 ? 3 : amplitude > 9 ? 2 : 1;
}

void Camera::update()
{
    TRACE();
    if (moving) {
        bool doneX = glideAxis(x, targetX, fixedSpeed, speedX);
        bool doneY = glideAxis(y, targetY, fixedSpeed, speedY);
        if (fixedSpeed && doneX && doneY)
            moving = false;
    }
    if (shakeAmplitude > 0.01f) {
        shakeAmplitude *= 0.95f;
        float turn = alternate ? 180.0f : 150.0f + float(std::rand() % 60);
        shakeAngle += turn * pi / 180.0f;
        x -= shakeOffsetX;
        y -= shakeOffsetY;
        shakeOffsetX = int(std::cos(shakeAngle) * shakeAmplitude);
        shakeOffsetY = int(std::sin(shakeAngle) * shakeAmplitude);
        x += shakeOffsetX;
        y += shakeOffsetY;
    } else if (shakeAmplitude > 0) {
        x -= shakeOffsetX;
        y -= shakeOffsetY;
        shakeAmplitude = 0;
        shakeOffsetX = shakeOffsetY = 0;
    }
}

bool Camera::isOutside(const SDL_Rect& rect) const
{
    TRACE();
    return rect.x > width || rect.y > height || rect.x + rect.w < 0 || rect.y + rect.h < 0;
}

int cameraTop(int playerRow, int rows, int& cameraBottom)
{
    TRACE();
    static const int thresholds[][2] = {
        {50, 55}, {93, 98}, {123, 128}, {140, 145}, {185, 190}, {213, 218}, {254, 259},
    };
    for (const auto& checkpoint : thresholds)
        if (playerRow >= checkpoint[0])
            cameraBottom = std::max(cameraBottom, checkpoint[1]);
    int top = playerRow - rows + 10;
    if (cameraBottom > 0) {
        int limit = cameraBottom - rows + 5;
        if (top < limit)
            top = std::min(playerRow - 5, limit);
    }
    return std::min(261 - rows, std::max(0, top));
}
