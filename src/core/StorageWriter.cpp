#include "core/StorageWriter.h"

#include "core/CircularLog.h"
#include "core/Storage.h"
#include "core/Trace.h"

#include <cstdio>
#include <cstring>

// Sized and copied in one go: a saved game writes 131,072 strings.
void StorageWriter::addField(unsigned char type, std::initializer_list<std::string_view> texts)
{
    TRACE();
    size_t size = 1;
    for (std::string_view text : texts)
        size += 4 + text.size();
    size_t start = bytes.size();
    bytes.resize(start + size);
    char* out = &bytes[start];
    *out++ = char(type);
    for (std::string_view text : texts) {
        uint32_t length = uint32_t(text.size());
        out[0] = char(length);
        out[1] = char(length >> 8);
        out[2] = char(length >> 16);
        out[3] = char(length >> 24);
        std::memcpy(out + 4, text.data(), length);
        out += 4 + length;
    }
}

void StorageWriter::addString(std::string_view key, std::string_view value)
{
    TRACE();
    addField(Storage::stringField, {key, value});
}

void StorageWriter::beginObject(std::string_view key)
{
    TRACE();
    addField(Storage::objectField, {key});
}

void StorageWriter::beginList(uint32_t count)
{
    TRACE();
    addField(Storage::listField, {});
    const char little[4] = {char(count), char(count >> 8), char(count >> 16), char(count >> 24)};
    bytes.append(little, 4);
}

void StorageWriter::endRecord()
{
    TRACE();
    bytes += char(Storage::endOfRecord);
}

void StorageWriter::addFields(const Storage& record)
{
    TRACE();
    for (const auto& entry : record.strings)
        addString(entry.first, entry.second);
    if (!record.list.empty()) {
        beginList(uint32_t(record.list.size()));
        for (const auto& child : record.list) {
            addFields(*child);
            endRecord();
        }
    }
    for (const auto& entry : record.objects) {
        beginObject(entry.first);
        addFields(*entry.second);
        endRecord();
    }
}

bool StorageWriter::writeFile(const std::string& path, const std::string& bytes)
{
    TRACE();
    FILE* file = std::fopen(path.c_str(), "w+b");
    if (!file) {
        LOG("ERROR: Saving failed. File: " << path);
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, file) == 1;
    if (std::fclose(file) != 0)
        ok = false;
    if (ok)
        LOG("Saved data to: " << path);
    else
        LOG("ERROR: Failed saving data to: " << path);
    return ok;
}
