#include "core/Font.h"

#include "core/CircularLog.h"
#include "core/Trace.h"

Font::Font(const std::string& key, const std::string& fileName, const std::vector<char>& fileBytes, int size,
    int outline)
    : outline(outline)
    , size(size)
    , key(key)
    , fileName(fileName)
{
    TRACE();
    rw = SDL_RWFromConstMem(fileBytes.data(), int(fileBytes.size()));
    if (!rw) {
        LOG("Game::Game Unable to setup handle for font:" << SDL_GetError());
        return;
    }
    ttf = TTF_OpenFontRW(rw, 0, size);
    if (!ttf) {
        LOG("Game::Game Unable to Load font: %s" << SDL_GetError());
        return;
    }
    if (outline < 1)
        return;
    rwOutline = SDL_RWFromConstMem(fileBytes.data(), int(fileBytes.size()));
    if (!rwOutline) {
        LOG("Game::Game Unable to setup handle for font outline:" << SDL_GetError());
        return;
    }
    // Without its outline handle the font still draws, only without outlines.
    outlineFont = TTF_OpenFontRW(rwOutline, 0, size);
    if (outlineFont)
        TTF_SetFontOutline(outlineFont, outline);
}

Font::~Font()
{
    TRACE();
    if (outlineFont)
        TTF_CloseFont(outlineFont);
    if (rwOutline)
        SDL_RWclose(rwOutline);
    if (ttf)
        TTF_CloseFont(ttf);
    if (rw)
        SDL_RWclose(rw);
}
