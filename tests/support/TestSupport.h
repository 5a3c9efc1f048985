#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The temporary folder that stands for XDG_DATA_HOME in this test process.
const std::string& testUserRoot();

// Whole file as bytes; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

// A replay slot's file (1 to 9) in the per-user folder, and all nine removed.
std::string replayPath(int slot);
void removeReplays();
// The crash reports in the per-user folder, and all their text joined.
std::vector<std::string> crashFiles();
std::string crashReports();

// How many files this process holds open: a file left open by a reader shows here.
int openFileCount();

// Pieces of a storage file: a 32-bit little-endian number, a text with its length before
// it, and a string entry.
std::string le32(uint32_t value);
std::string storageText(const std::string& text);
std::string storageEntry(const std::string& key, const std::string& value);

// 64-bit FNV-1a of the bytes: one number that changes when any byte of a long text does.
uint64_t textHash(const std::string& text);

// A setting as last written to "settings.storage"; "(none)" when it is not there.
std::string savedSetting(const std::string& key);

// How many of the lines held in the log's ring contain `needle`.
int logLinesContaining(const std::string& needle);
// Empties the log's ring, for a test that counts lines from its own start.
void clearLogRing();

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value)
        : name(name)
    {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        if (old)
            oldValue = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (hadValue)
            setenv(name, oldValue.c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name;
    bool hadValue;
    std::string oldValue;
};
