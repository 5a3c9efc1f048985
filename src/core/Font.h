#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>
#include <vector>

// One TrueType face at one point size, read from bytes shared by every size opened
// from the same file, with an optional second handle that renders the outline.
class Font {
public:
    Font(const std::string& key, const std::string& fileName, const std::vector<char>& fileBytes, int size,
        int outline);
    virtual ~Font();

    SDL_RWops* rw = nullptr;
    TTF_Font* ttf = nullptr; // null when the face could not be opened
    SDL_RWops* rwOutline = nullptr;
    TTF_Font* outlineFont = nullptr;
    int outline; // pixels; 0 means none
    int size;
    std::string key;
    std::string fileName;
};
