#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A small tree of text values, child objects and an ordered child list, kept in a
// binary record file. Numbers and flags are stored as decimal text ("42", "1", "0").
class Storage {
public:
    virtual ~Storage();

    std::map<std::string, std::string> strings;
    std::map<std::string, std::unique_ptr<Storage>> objects;
    std::vector<std::unique_ptr<Storage>> list;
    FILE* file = nullptr; // open only while a load or save runs

    bool load(const std::string& path, bool reportMissing);
    bool save(const std::string& path);

    bool has(const std::string& key) const;
    bool isEmpty() const;

    std::string getString(const std::string& key, const std::string& defaultValue) const;
    int getInt(const std::string& key, int defaultValue) const;
    bool getBool(const std::string& key, bool defaultValue) const;
    void setString(const std::string& key, const std::string& value);
    void setInt(const std::string& key, int value);
    void setBool(const std::string& key, bool value);

    Storage* getObject(const std::string& key, bool create);
    void setObject(const std::string& key, std::unique_ptr<Storage> child);
    void addToList(std::unique_ptr<Storage> child);

    // Longest string a reader accepts.
    static constexpr unsigned maxStringLength = 4095;
    // Deepest nesting of records a reader accepts; the game writes at most 3 levels.
    static constexpr int maxDepth = 64;

private:
    bool parseRecord(Storage& target, int depth);
    bool readString(std::string& out);
    bool writeRecord(const Storage& source);
    bool writeBytes(const void* data, size_t size);
    bool writeString(const std::string& text);
};
