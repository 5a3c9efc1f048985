#include "core/Storage.h"

#include "core/CircularLog.h"
#include "core/StorageReader.h"
#include "core/StorageWriter.h"
#include "core/Trace.h"

#include <climits>
#include <iostream>

Storage::~Storage() = default;

bool Storage::load(const std::string& path, bool reportMissing)
{
    TRACE();
    std::string bytes;
    if (!StorageReader::readFile(path, reportMissing, bytes))
        return false;
    StorageReader reader(bytes.data(), bytes.data() + bytes.size());
    if (!reader.readRecord(*this, 1)) {
        LOG("ERROR: Loading storage failed: " << path);
        return false;
    }
    return true;
}

bool Storage::save(const std::string& path)
{
    TRACE();
    return StorageWriter::writeFile(path, encoded());
}

std::string Storage::encoded() const
{
    TRACE();
    StorageWriter writer;
    writer.addFields(*this);
    writer.endRecord();
    return writer.bytes;
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
    return found == strings.end() ? defaultValue : intFrom(found->second, defaultValue);
}

// Strict decimal: an optional minus sign and digits, nothing else, within int range.
int Storage::intFrom(std::string_view text, int defaultValue)
{
    TRACE();
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        i++;
    }
    if (i == text.size())
        return defaultValue;
    long long result = 0;
    for (; i < text.size(); i++) {
        if (text[i] < '0' || text[i] > '9')
            return defaultValue;
        result = result * 10 + (text[i] - '0');
        if (result > (long long)INT_MAX + 1)
            return defaultValue;
    }
    if (negative)
        result = -result;
    if (result < INT_MIN || result > INT_MAX)
        return defaultValue;
    return int(result);
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
