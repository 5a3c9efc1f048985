#include "core/Storage.h"

#include "core/CircularLog.h"
#include "core/Trace.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iostream>

namespace {

enum FieldType : unsigned char {
    StringEntry = 1,
    ObjectEntry = 2,
    ListField = 3,
    EndMarker = 99,
};

bool readU32(FILE* file, uint32_t& value)
{
    TRACE();
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4)
        return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

// Strict decimal: an optional minus sign and digits, nothing else, within int range.
bool parseDecimal(const std::string& text, int& value)
{
    TRACE();
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        i++;
    }
    if (i == text.size())
        return false;
    long long result = 0;
    for (; i < text.size(); i++) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
        if (result > (long long)INT_MAX + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result < INT_MIN || result > INT_MAX)
        return false;
    value = int(result);
    return true;
}

} // namespace

Storage::~Storage() = default;

bool Storage::load(const std::string& path, bool reportMissing)
{
    TRACE();
    file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (reportMissing)
            LOG("ERROR: Loading storage " << path << ". Error: " << std::strerror(errno));
        return false;
    }
    bool ok = parseRecord(*this, 1);
    std::fclose(file);
    file = nullptr;
    if (!ok) {
        LOG("ERROR: Loading storage failed: " << path);
        return false;
    }
    return true;
}

// Each nested record is one level of recursion here and in the destructor: a damaged
// file must not nest deeper than the stack allows.
bool Storage::parseRecord(Storage& target, int depth)
{
    TRACE();
    if (depth > maxDepth) {
        LOG("ERROR: Storage records nested deeper than " << maxDepth << " levels");
        return false;
    }
    for (;;) {
        int type = std::fgetc(file);
        if (type == EOF) {
            if (std::feof(file))
                LOG("ERROR: Reached end of file without 99 marker!");
            return false;
        }
        switch (type) {
        case StringEntry: {
            std::string key, value;
            if (!readString(key) || !readString(value))
                return false;
            target.strings[key] = value;
            break;
        }
        case ObjectEntry: {
            std::string key;
            if (!readString(key))
                return false;
            auto child = std::make_unique<Storage>();
            if (!parseRecord(*child, depth + 1))
                return false;
            target.objects[key] = std::move(child);
            break;
        }
        case ListField: {
            uint32_t count;
            if (!readU32(file, count))
                return false;
            // No room is reserved up front: the count is only believed as far as the
            // file really holds records.
            for (uint32_t i = 0; i < count; i++) {
                auto child = std::make_unique<Storage>();
                if (!parseRecord(*child, depth + 1))
                    return false;
                target.list.push_back(std::move(child));
            }
            break;
        }
        case EndMarker:
            return true;
        default:
            LOG("ERROR: Unknown field type " << type);
            return false;
        }
    }
}

bool Storage::readString(std::string& out)
{
    TRACE();
    uint32_t length;
    if (!readU32(file, length))
        return false;
    if (length > maxStringLength) {
        LOG("ERROR: FOUND STRING LONGER THAN 4095 bytes");
        return false;
    }
    out.clear();
    if (length == 0)
        return true;
    char buffer[maxStringLength + 1];
    size_t got = std::fread(buffer, 1, length, file);
    buffer[got] = 0;
    if (got != length)
        return false;
    out.assign(buffer, length);
    return true;
}

bool Storage::save(const std::string& path)
{
    TRACE();
    file = std::fopen(path.c_str(), "w+b");
    if (!file) {
        LOG("ERROR: Saving failed. File: " << path);
        return false;
    }
    bool ok = writeRecord(*this);
    if (std::fclose(file) != 0)
        ok = false;
    file = nullptr;
    if (ok)
        LOG("Saved data to: " << path);
    else
        LOG("ERROR: Failed saving data to: " << path);
    return ok;
}

bool Storage::writeBytes(const void* data, size_t size)
{
    TRACE();
    return std::fwrite(data, size, 1, file) == 1;
}

bool Storage::writeString(const std::string& text)
{
    TRACE();
    uint32_t length = uint32_t(text.size());
    unsigned char bytes[4] = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    if (!writeBytes(bytes, 4))
        return false;
    return text.empty() || writeBytes(text.data(), text.size());
}

bool Storage::writeRecord(const Storage& source)
{
    TRACE();
    for (const auto& entry : source.strings) {
        unsigned char type = StringEntry;
        if (!writeBytes(&type, 1) || !writeString(entry.first) || !writeString(entry.second))
            return false;
    }
    if (!source.list.empty()) {
        uint32_t count = uint32_t(source.list.size());
        unsigned char bytes[5] = {ListField, uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
        if (!writeBytes(bytes, 5))
            return false;
        for (const auto& child : source.list)
            if (!writeRecord(*child))
                return false;
    }
    for (const auto& entry : source.objects) {
        unsigned char type = ObjectEntry;
        if (!writeBytes(&type, 1) || !writeString(entry.first) || !writeRecord(*entry.second))
            return false;
    }
    unsigned char end = EndMarker;
    return writeBytes(&end, 1);
}

bool Storage::has(const std::string& key) const
{
    TRACE();
    return strings.count(key) != 0;
}

bool Storage::isEmpty() const
{
    TRACE();
    return strings.empty() && objects.empty() && list.empty();
}

std::string Storage::getString(const std::string& key, const std::string& defaultValue) const
{
    TRACE();
    auto found = strings.find(key);
    return found == strings.end() ? defaultValue : found->second;
}

int Storage::getInt(const std::string& key, int defaultValue) const
{
    TRACE();
    auto found = strings.find(key);
    int value;
    if (found == strings.end() || !parseDecimal(found->second, value))
        return defaultValue;
    return value;
}

bool Storage::getBool(const std::string& key, bool defaultValue) const
{
    TRACE();
    return getInt(key, defaultValue ? 1 : 0) > 0;
}

void Storage::setString(const std::string& key, const std::string& value)
{
    TRACE();
    strings[key] = value;
}

void Storage::setInt(const std::string& key, int value)
{
    TRACE();
    strings[key] = std::to_string(value);
}

void Storage::setBool(const std::string& key, bool value)
{
    TRACE();
    strings[key] = value ? "1" : "0";
}

Storage* Storage::getObject(const std::string& key, bool create)
{
    TRACE();
    auto found = objects.find(key);
    if (found != objects.end())
        return found->second.get();
    if (!create)
        return nullptr;
    Storage* child = new Storage();
    objects[key].reset(child);
    return child;
}

void Storage::setObject(const std::string& key, std::unique_ptr<Storage> child)
{
    TRACE();
    auto& slot = objects[key];
    if (slot)
        std::cout << "WARNING: Overwriting storage object" << std::endl;
    slot = std::move(child);
}

void Storage::addToList(std::unique_ptr<Storage> child)
{
    TRACE();
    list.push_back(std::move(child));
}
