#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class Storage;

// Builds the bytes of a storage file field by field: each record's strings, list and
// objects, then its end marker. Storage::save writes whole trees with it; the saved game
// writes its pages cell by cell with it, without a tree of 65,536 entries for each.
class StorageWriter {
public:
    std::string bytes;

    void addString(std::string_view key, std::string_view value);
    void beginObject(std::string_view key);
    void beginList(uint32_t count);
    void endRecord();
    // The record's fields without its end marker, so that more fields may follow.
    void addFields(const Storage& record);

    // Writes `bytes` as the whole file in one call.
    static bool writeFile(const std::string& path, const std::string& bytes);

private:
    // The field's type byte, then each text as its length and its bytes.
    void addField(unsigned char type, std::initializer_list<std::string_view> texts);
};
