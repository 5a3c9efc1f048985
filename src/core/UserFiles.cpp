#include "core/UserFiles.h"

#include "core/CircularLog.h"
#include "core/StorageWriter.h"
#include "core/Trace.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string takeSdlPath(char* path)
{
    TRACE();
    if (!path)
        return std::string();
    std::string text = path;
    SDL_free(path);
    return text;
}

} // namespace

const std::string& prefPath()
{
    TRACE();
    static const std::string path = takeSdlPath(SDL_GetPrefPath("Orvando", "Vantrel"));
    return path;
}

std::string dataPath(const std::string& name)
{
    TRACE();
    static const std::string folder = [] {
        std::string base = takeSdlPath(SDL_GetBasePath());
        if (base.empty())
            base = "./";
        return base + "Vantrel.app/Contents/Resources/";
    }();
    return folder + name;
}

void loadWithTwinRecovery(Storage& storage, const std::string& path)
{
    TRACE();
    std::string twin = path + ".temp";
    if (storage.load(twin, false)) {
        // The last save was interrupted after the twin was complete: finish it.
        if (storage.save(path))
            std::remove(twin.c_str());
        return;
    }
    storage.load(path, true);
}

bool saveWithTwin(Storage& storage, const std::string& path)
{
    TRACE();
    std::string twin = path + ".temp";
    if (!storage.save(twin)) {
        std::remove(twin.c_str());
        return false;
    }
    if (!storage.save(path))
        return false;
    std::remove(twin.c_str());
    return true;
}

namespace {

bool syncToDisk(const std::string& path)
{
    TRACE();
    int descriptor = ::open(path.c_str(), O_RDONLY);
    if (descriptor < 0)
        return false;
    bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

} // namespace

bool saveReplacing(const std::string& bytes, const std::string& path)
{
    TRACE();
    std::string partial = path + ".partial";
    if (!StorageWriter::writeFile(partial, bytes) || !syncToDisk(partial)) {
        // First the room it took: on a full disk the log line needs it.
        std::remove(partial.c_str());
        LOG("ERROR: " << path << " was not replaced; the previous file is kept");
        return false;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        LOG("ERROR: Cannot rename " << partial << " to " << path);
        std::remove(partial.c_str());
        return false;
    }
    // The new name itself lives in the folder: flush it too.
    std::string folder = path.substr(0, path.find_last_of('/') + 1);
    syncToDisk(folder.empty() ? "." : folder);
    return true;
}

namespace {

Storage theSettings;
bool settingsLoaded = false;

} // namespace

Storage& settingsStorage()
{
    TRACE();
    if (!settingsLoaded) {
        loadWithTwinRecovery(theSettings, prefPath() + "settings.storage");
        settingsLoaded = true;
    }
    return theSettings;
}

void forgetSettings()
{
    TRACE();
    theSettings.strings.clear();
    theSettings.objects.clear();
    theSettings.list.clear();
    settingsLoaded = false;
}

bool saveSettings()
{
    TRACE();
    return saveWithTwin(settingsStorage(), prefPath() + "settings.storage");
}

std::vector<std::pair<std::string, std::string>> replayListing()
{
    TRACE();
    std::vector<std::pair<std::string, std::string>> replays;
    for (int n = 1; n <= 9; n++) {
        std::string path = prefPath() + "lastgame" + std::to_string(n) + ".replay";
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            continue;
        char label[19];
        std::string text;
        if (std::fread(label, 1, sizeof label, file) == sizeof label)
            text.assign(label, sizeof label);
        std::fclose(file);
        replays.emplace_back(text, path);
    }
    std::sort(replays.begin(), replays.end());
    return replays;
}

std::string fileUrl(const std::string& path)
{
    TRACE();
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            url += char(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

bool openPage(const std::string& url)
{
    TRACE();
    if (SDL_OpenURL(url.c_str()) != 0) {
        LOG("ERROR: Cannot open " << url << ": " << SDL_GetError());
        return false;
    }
    LOG("Opened " << url);
    return true;
}

bool openFolder(const std::string& path)
{
    TRACE();
    return openPage(fileUrl(path));
}
