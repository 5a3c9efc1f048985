#include "SdlCalls.h"

#include <SDL_ttf.h>

#include <algorithm>

// Every wrapped function: __wrap_X is what the game's code calls, __real_X is SDL's.
extern "C" {
int __real_SDL_RenderClear(SDL_Renderer*);
int __real_SDL_SetRenderDrawColor(SDL_Renderer*, Uint8, Uint8, Uint8, Uint8);
int __real_SDL_SetRenderDrawBlendMode(SDL_Renderer*, SDL_BlendMode);
int __real_SDL_RenderFillRect(SDL_Renderer*, const SDL_Rect*);
int __real_SDL_RenderFillRects(SDL_Renderer*, const SDL_Rect*, int);
int __real_SDL_RenderDrawLine(SDL_Renderer*, int, int, int, int);
int __real_SDL_RenderCopy(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*);
int __real_SDL_RenderCopyEx(SDL_Renderer*, SDL_Texture*, const SDL_Rect*, const SDL_Rect*, double, const SDL_Point*,
    SDL_RendererFlip);
int __real_SDL_SetTextureColorMod(SDL_Texture*, Uint8, Uint8, Uint8);
int __real_SDL_SetTextureAlphaMod(SDL_Texture*, Uint8);
int __real_SDL_SetTextureBlendMode(SDL_Texture*, SDL_BlendMode);
SDL_Surface* __real_TTF_RenderUTF8_Blended(TTF_Font*, const char*, SDL_Color);
SDL_Surface* __real_TTF_RenderUTF8_Blended_Wrapped(TTF_Font*, const char*, SDL_Color, Uint32);
}

namespace {

bool capturing = false;
std::vector<SdlCalls::Call> captured;
int renders = 0;

SdlCalls::Call& add(SdlCalls::Op op, SDL_Renderer* renderer, SDL_Texture* texture)
{
    SdlCalls::Call call{};
    call.op = op;
    call.renderer = renderer;
    call.texture = texture;
    captured.push_back(call);
    return captured.back();
}

void keepRects(SdlCalls::Call& call, const SDL_Rect* source, const SDL_Rect* target)
{
    call.hasSource = source != nullptr;
    call.hasTarget = target != nullptr;
    if (source)
        call.source = *source;
    if (target)
        call.target = *target;
}

} // namespace

extern "C" {

int __wrap_SDL_RenderClear(SDL_Renderer* renderer)
{
    if (capturing)
        add(SdlCalls::Op::clear, renderer, nullptr);
    return __real_SDL_RenderClear(renderer);
}

int __wrap_SDL_SetRenderDrawColor(SDL_Renderer* renderer, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    if (capturing) {
        SdlCalls::Call& call = add(SdlCalls::Op::drawColour, renderer, nullptr);
        call.r = r, call.g = g, call.b = b, call.a = a;
    }
    return __real_SDL_SetRenderDrawColor(renderer, r, g, b, a);
}

int __wrap_SDL_SetRenderDrawBlendMode(SDL_Renderer* renderer, SDL_BlendMode mode)
{
    if (capturing)
        add(SdlCalls::Op::drawBlendMode, renderer, nullptr).mode = mode;
    return __real_SDL_SetRenderDrawBlendMode(renderer, mode);
}

int __wrap_SDL_RenderFillRect(SDL_Renderer* renderer, const SDL_Rect* rect)
{
    if (capturing) {
        SdlCalls::Call& call = add(SdlCalls::Op::fillRect, renderer, nullptr);
        call.hasRect = rect != nullptr;
        if (rect)
            call.rect = *rect;
    }
    return __real_SDL_RenderFillRect(renderer, rect);
}

int __wrap_SDL_RenderFillRects(SDL_Renderer* renderer, const SDL_Rect* rects, int count)
{
    if (capturing)
        add(SdlCalls::Op::fillRects, renderer, nullptr).rects.assign(rects, rects + std::max(count, 0));
    return __real_SDL_RenderFillRects(renderer, rects, count);
}

int __wrap_SDL_RenderDrawLine(SDL_Renderer* renderer, int x1, int y1, int x2, int y2)
{
    if (capturing)
        add(SdlCalls::Op::drawLine, renderer, nullptr).rect = SDL_Rect{x1, y1, x2, y2};
    return __real_SDL_RenderDrawLine(renderer, x1, y1, x2, y2);
}

int __wrap_SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* target)
{
    if (capturing)
        keepRects(add(SdlCalls::Op::copy, renderer, texture), source, target);
    return __real_SDL_RenderCopy(renderer, texture, source, target);
}

int __wrap_SDL_RenderCopyEx(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
    const SDL_Rect* target, double angle, const SDL_Point* centre, SDL_RendererFlip flip)
{
    // The game turns pictures about their middle only: no centre is kept.
    if (capturing) {
        SdlCalls::Call& call = add(SdlCalls::Op::copyEx, renderer, texture);
        keepRects(call, source, target);
        call.angle = angle;
        call.flip = flip;
    }
    return __real_SDL_RenderCopyEx(renderer, texture, source, target, angle, centre, flip);
}

int __wrap_SDL_SetTextureColorMod(SDL_Texture* texture, Uint8 r, Uint8 g, Uint8 b)
{
    if (capturing) {
        SdlCalls::Call& call = add(SdlCalls::Op::colourMod, nullptr, texture);
        call.r = r, call.g = g, call.b = b;
    }
    return __real_SDL_SetTextureColorMod(texture, r, g, b);
}

int __wrap_SDL_SetTextureAlphaMod(SDL_Texture* texture, Uint8 a)
{
    if (capturing)
        add(SdlCalls::Op::alphaMod, nullptr, texture).a = a;
    return __real_SDL_SetTextureAlphaMod(texture, a);
}

int __wrap_SDL_SetTextureBlendMode(SDL_Texture* texture, SDL_BlendMode mode)
{
    if (capturing)
        add(SdlCalls::Op::blendMode, nullptr, texture).mode = mode;
    return __real_SDL_SetTextureBlendMode(texture, mode);
}

SDL_Surface* __wrap_TTF_RenderUTF8_Blended(TTF_Font* font, const char* text, SDL_Color colour)
{
    renders++;
    return __real_TTF_RenderUTF8_Blended(font, text, colour);
}

SDL_Surface* __wrap_TTF_RenderUTF8_Blended_Wrapped(TTF_Font* font, const char* text, SDL_Color colour, Uint32 wrap)
{
    renders++;
    return __real_TTF_RenderUTF8_Blended_Wrapped(font, text, colour, wrap);
}

} // extern "C"

namespace SdlCalls {

void capture()
{
    captured.clear();
    capturing = true;
}

std::vector<Call> stop()
{
    capturing = false;
    return std::move(captured);
}

void replay(const std::vector<Call>& calls)
{
    for (const Call& call : calls) {
        const SDL_Rect* source = call.hasSource ? &call.source : nullptr;
        const SDL_Rect* target = call.hasTarget ? &call.target : nullptr;
        switch (call.op) {
        case Op::clear:
            __real_SDL_RenderClear(call.renderer);
            break;
        case Op::drawColour:
            __real_SDL_SetRenderDrawColor(call.renderer, call.r, call.g, call.b, call.a);
            break;
        case Op::drawBlendMode:
            __real_SDL_SetRenderDrawBlendMode(call.renderer, SDL_BlendMode(call.mode));
            break;
        case Op::fillRect:
            __real_SDL_RenderFillRect(call.renderer, call.hasRect ? &call.rect : nullptr);
            break;
        case Op::fillRects:
            __real_SDL_RenderFillRects(call.renderer, call.rects.data(), int(call.rects.size()));
            break;
        case Op::drawLine:
            __real_SDL_RenderDrawLine(call.renderer, call.rect.x, call.rect.y, call.rect.w, call.rect.h);
            break;
        case Op::copy:
            __real_SDL_RenderCopy(call.renderer, call.texture, source, target);
            break;
        case Op::copyEx:
            __real_SDL_RenderCopyEx(call.renderer, call.texture, source, target, call.angle, nullptr, call.flip);
            break;
        case Op::colourMod:
            __real_SDL_SetTextureColorMod(call.texture, call.r, call.g, call.b);
            break;
        case Op::alphaMod:
            __real_SDL_SetTextureAlphaMod(call.texture, call.a);
            break;
        case Op::blendMode:
            __real_SDL_SetTextureBlendMode(call.texture, SDL_BlendMode(call.mode));
            break;
        }
    }
}

int textRenders()
{
    return renders;
}

} // namespace SdlCalls
