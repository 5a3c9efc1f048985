#include "core/AssetManager.h"

#include "core/CachedTextCollection.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

struct StartupFont {
    const char* key;
    int size;
    int outline;
};

const StartupFont startupFonts[] = {
    {"main.ttf", 32, 4}, {"small", 18, 0}, {"sign", 16, 2}, {"chat", 16, 0}, {"twentyone", 21, 0}};

struct StartupCollection {
    const char* name;
    const char* fontKey;
    SDL_Color colour;
    int shadowOffset;
};

const StartupCollection startupCollections[] = {{"bobi30", "main.ttf", colourWhite, 0},
    {"sign", "sign", colourWhite, 0}, {"signgold", "sign", colourGold, 0}, {"menuhint", "sign", colourWhite, 1}};

// The entry registered under a name, or null with the error logged.
template <typename T>
T* registered(const std::map<std::string, std::unique_ptr<T>>& registry, const std::string& name,
    const char* missingError)
{
    TRACE();
    auto found = registry.find(name);
    if (found != registry.end())
        return found->second.get();
    LOG(missingError << name);
    return nullptr;
}

} // namespace

Font* AssetManager::loadFont(const std::string& key, const std::string& fileName, int size, int outline)
{
    TRACE();
    auto found = fonts.find(key);
    if (found != fonts.end())
        return found->second.get();
    if (!fontFiles.count(fileName) && !readFontFile(fileName))
        return nullptr;
    auto font = std::make_unique<Font>(key, fileName, fontFiles[fileName], size, outline);
    if (!font->ttf)
        return nullptr;
    Font* result = font.get();
    fonts[key] = std::move(font);
    return result;
}

// Reads a font file into fontFiles once; every size opened from it shares the bytes.
// A file that cannot be opened leaves an empty entry, so it is not looked for again.
bool AssetManager::readFontFile(const std::string& fileName)
{
    TRACE();
    std::vector<char>& bytes = fontFiles[fileName];
    std::string path = dataPath("") + fileName;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        LOG("I/O ERROR: Cannot open font file: " << path);
        return false;
    }
    // A folder opens like a file, with a size of no meaning: a replay can name one.
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        LOG("I/O ERROR: Cannot read font file: " << path);
        std::fclose(file);
        return false;
    }
    bytes.resize(size_t(info.st_size));
    size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    if (read != bytes.size()) {
        LOG("I/O WARNING: failed to read file: " << path);
        bytes.resize(read);
    }
    std::fclose(file);
    return true;
}

Font* AssetManager::getFont(const std::string& key)
{
    TRACE();
    return registered(fonts, key, "ERROR: Cannot find font: ");
}

Font* AssetManager::findFont(const std::string& fileName, int size, int outline, const std::string& key)
{
    TRACE();
    for (auto& entry : fonts) {
        Font& font = *entry.second;
        if (font.fileName == fileName && font.size == size && font.outline == outline)
            return &font;
    }
    return loadFont(key, fileName, size, outline);
}

void AssetManager::freeFont(const std::string& key)
{
    TRACE();
    fonts.erase(key);
}

bool AssetManager::addCachedTexts(const std::string& name, std::unique_ptr<CachedTextCollection> collection)
{
    TRACE();
    if (cachedTexts.count(name)) {
        LOG("ERROR: CachedTextCollection already exists (" << name << ")");
        return false;
    }
    cachedTexts[name] = std::move(collection);
    return true;
}

CachedTextCollection* AssetManager::getCachedTexts(const std::string& name)
{
    TRACE();
    return registered(cachedTexts, name, "ERROR: Cannot find cachedText: ");
}

void AssetManager::loadStartupFonts(Camera* context)
{
    TRACE();
    for (const StartupFont& font : startupFonts)
        loadFont(font.key, "main.ttf", font.size, font.outline);
    for (const StartupCollection& entry : startupCollections) {
        auto collection = std::make_unique<CachedTextCollection>();
        collection->init(context, getFont(entry.fontKey), entry.colour, entry.shadowOffset);
        addCachedTexts(entry.name, std::move(collection));
    }
}
