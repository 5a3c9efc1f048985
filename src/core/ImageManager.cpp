#include "core/ImageManager.h"

#include "core/Trace.h"

SDL_Rect ImageManager::get(SpriteTable& table, const std::string& sheet, const std::string& item)
{
    TRACE();
    return table[sheet].emplace(item, SDL_Rect{0, 0, 0, 0}).first->second;
}

void ImageManager::initIcons(SpriteTable& table)
{
    TRACE();
}

void ImageManager::initAchievements(SpriteTable& table)
{
    TRACE();
}
