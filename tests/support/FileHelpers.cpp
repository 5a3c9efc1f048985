#include "TestSupport.h"

#include "core/Storage.h"
#include "core/UserFiles.h"

#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string savedSetting(const std::string& key)
{
    Storage file;
    file.load(prefPath() + "settings.storage", false);
    return file.getString(key, "(none)");
}

std::string le32(uint32_t value)
{
    return std::string{char(value & 255), char(value >> 8 & 255), char(value >> 16 & 255), char(value >> 24 & 255)};
}

std::string storageText(const std::string& text)
{
    return le32(uint32_t(text.size())) + text;
}

std::string storageEntry(const std::string& key, const std::string& value)
{
    return "\x01" + storageText(key) + storageText(value);
}

int openFileCount()
{
    DIR* folder = opendir("/proc/self/fd");
    int count = 0;
    while (folder && readdir(folder))
        count++;
    if (folder)
        closedir(folder);
    return count;
}

uint64_t textHash(const std::string& text)
{
    uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 0x100000001b3u;
    return hash;
}

std::string replayPath(int slot)
{
    return prefPath() + "lastgame" + std::to_string(slot) + ".replay";
}

void removeReplays()
{
    for (int slot = 1; slot <= 9; slot++)
        std::remove(replayPath(slot).c_str());
}

std::vector<std::string> crashFiles()
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(prefPath()))
        if (entry.path().filename().string().rfind("crash-", 0) == 0)
            found.push_back(entry.path().string());
    return found;
}

std::string crashReports()
{
    std::string all;
    for (const std::string& file : crashFiles())
        all += readFileBytes(file);
    return all;
}
