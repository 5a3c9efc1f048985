#pragma once

#include <SDL_rect.h>

#include <map>
#include <string>

// Sheet file name -> (item name -> source rectangle on that sheet).
using SpriteTable = std::map<std::string, std::map<std::string, SDL_Rect>>;

// Looks up sprites on shared picture sheets by name.
namespace ImageManager {

// An unknown sheet or item is added with an all-zero rectangle, which is returned.
SDL_Rect get(SpriteTable& table, const std::string& sheet, const std::string& item);
// This game draws its icons and achievements from whole pictures: both tables stay empty.
void initIcons(SpriteTable& table);
void initAchievements(SpriteTable& table);

} // namespace ImageManager
