#include "core/NineSlice.h"

#include "core/Recorder.h"
#include "core/Trace.h"

#include <algorithm>

namespace {

void copy(SDL_Renderer* renderer, SDL_Texture* texture, SDL_Rect source, SDL_Rect destination)
{
    TRACE();
    recorder().renderCopy(renderer, texture, &source, &destination);
}

} // namespace

int drawNineSlice(SDL_Renderer* renderer, SDL_Texture* texture, int x, int y, int w, int h, int textureWidth,
    int textureHeight, int borderWidth, int borderHeight)
{
    TRACE();
    const int texW = textureWidth, texH = textureHeight, bw = borderWidth, bh = borderHeight;
    const int W = std::max(w, 2 * bw), H = std::max(h, 2 * bh);
    const int iw = W - 2 * bw, ih = H - 2 * bh;
    const int tw = texW - 2 * bw, th = texH - 2 * bh;

    copy(renderer, texture, {0, 0, bw, bh}, {x, y, bw, bh});
    copy(renderer, texture, {bw, 0, std::min(iw, tw), bh}, {x + bw, y, iw, bh});
    copy(renderer, texture, {texW - bw, 0, bw, bh}, {x + W - bw, y, bw, bh});
    copy(renderer, texture, {0, bh, bw, std::min(ih, th)}, {x, y + bh, bw, ih});
    copy(renderer, texture, {bw, bh, std::min(iw, tw), std::min(ih, th)}, {x + bw, y + bh, iw, ih});
    copy(renderer, texture, {texW - bw, bh, bw, std::min(ih, th)}, {x + W - bw, y + bh, bw, ih});

    // The bottom row is drawn at its own size, and a wide panel fills the rest of it
    // with the stretched middle of the picture's bottom edge.
    const bool wide = W > texW;
    const int p = wide ? texW - bw : W - bw;
    copy(renderer, texture, {0, texH - bh, p, bh}, {x, y + H - bh, p, bh});
    if (wide)
        copy(renderer, texture, {bw, texH - bh, tw, bh}, {x - bw + texW, y + H - bh, W - texW, bh});
    copy(renderer, texture, {texW - bw, texH - bh, bw, bh}, {x + W - bw, y + H - bh, bw, bh});
    return wide ? 9 : 8;
}
