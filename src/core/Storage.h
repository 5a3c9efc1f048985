#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A small tree of text values, child objects and an ordered child list, kept in a
// binary record file. Numbers and flags are stored as decimal text ("42", "1", "0").
class Storage {
public:
    virtual ~Storage();

    std::map<std::string, std::string> strings;
    std::map<std::string, std::unique_ptr<Storage>> objects;
    std::vector<std::unique_ptr<Storage>> list;

    bool load(const std::string& path, bool reportMissing);
    bool save(const std::string& path);
    // The bytes save writes.
    std::string encoded() const;

    bool has(const std::string& key) const;
    bool isEmpty() const;

    std::string getString(const std::string& key, const std::string& defaultValue) const;
    int getInt(const std::string& key, int defaultValue) const;
    bool getBool(const std::string& key, bool defaultValue) const;
    // A stored number as getInt reads it: strict decimal within int range.
    static int intFrom(std::string_view text, int defaultValue);

    void setString(const std::string& key, const std::string& value);
    void setInt(const std::string& key, int value);
    void setBool(const std::string& key, bool value);

    Storage* getObject(const std::string& key, bool create);
    void setObject(const std::string& key, std::unique_ptr<Storage> child);
    void addToList(std::unique_ptr<Storage> child);

    // The field types of the file: each field starts with one of these bytes.
    static constexpr unsigned char stringField = 1;
    static constexpr unsigned char objectField = 2;
    static constexpr unsigned char listField = 3;
    static constexpr unsigned char endOfRecord = 99;

    // Longest string a reader accepts.
    static constexpr unsigned maxStringLength = 4095;
    // Largest file a reader accepts; a saved game is about 2.2 MB.
    static constexpr long maxFileSize = 64L << 20;
    // Deepest nesting of records a reader accepts; the game writes at most 3 levels.
    static constexpr int maxDepth = 64;
};
