#include "core/StorageReader.h"

#include "core/CircularLog.h"
#include "core/Storage.h"
#include "core/Trace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

StorageReader::StorageReader(const char* begin, const char* end)
    : position(begin), end(end)
{
    TRACE();
}

int StorageReader::next()
{
    TRACE();
    if (position == end) {
        LOG("ERROR: Reached end of file without 99 marker!");
        return 0;
    }
    int field = static_cast<unsigned char>(*position++);
    if (field == Storage::endOfRecord)
        return field;
    int texts = field == Storage::stringField ? 2 : field == Storage::objectField ? 1 : 0;
    if (texts == 0 && field != Storage::listField) {
        LOG("ERROR: Unknown field type " << field);
        return 0;
    }
    // Then a list's count, or each text's length and bytes: a string has a key and a
    // value, an object a key. All is read here, not by a function each, because a saved
    // game holds 131,072 strings.
    std::string_view* into[] = {&key, &value};
    for (int text = 0; text < std::max(texts, 1); text++) {
        if (end - position < 4)
            return 0;
        const auto* little = reinterpret_cast<const unsigned char*>(position);
        uint32_t number = uint32_t(little[0]) | uint32_t(little[1]) << 8 | uint32_t(little[2]) << 16 |
                          uint32_t(little[3]) << 24;
        position += 4;
        if (texts == 0) {
            count = number;
            break;
        }
        if (number > Storage::maxStringLength) {
            LOG("ERROR: FOUND STRING LONGER THAN 4095 bytes");
            return 0;
        }
        if (uint32_t(end - position) < number)
            return 0;
        *into[text] = std::string_view(position, number);
        position += number;
    }
    return field;
}

// Each nested record is one level of recursion here and in the destructor: a damaged
// file must not nest deeper than the stack allows.
bool StorageReader::readNested(int field, Storage& target, int depth)
{
    TRACE();
    if (depth > Storage::maxDepth) {
        LOG("ERROR: Storage records nested deeper than " << Storage::maxDepth << " levels");
        return false;
    }
    if (field == Storage::objectField) {
        std::string objectKey(key);
        auto child = std::make_unique<Storage>();
        if (!readRecord(*child, depth))
            return false;
        target.objects[objectKey] = std::move(child);
        return true;
    }
    // No room is reserved up front: the count is only believed as far as the file
    // really holds records.
    for (uint32_t i = 0, records = count; i < records; i++) {
        auto child = std::make_unique<Storage>();
        if (!readRecord(*child, depth))
            return false;
        target.list.push_back(std::move(child));
    }
    return true;
}

bool StorageReader::readRecord(Storage& target, int depth)
{
    TRACE();
    return readFields([&](int field) {
        if (field != Storage::stringField)
            return readNested(field, target, depth + 1);
        // A file the game wrote lists a record's keys in order: each goes to the end.
        if (target.strings.empty() || std::string_view(target.strings.rbegin()->first) < key)
            target.strings.emplace_hint(target.strings.end(), key, value);
        else
            target.strings[std::string(key)] = value;
        return true;
    });
}

bool StorageReader::readFile(const std::string& path, bool reportMissing, std::string& bytes)
{
    TRACE();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (reportMissing)
            LOG("ERROR: Loading storage " << path << ". Error: " << std::strerror(errno));
        return false;
    }
    struct stat status;
    bool ok = false;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        LOG("ERROR: Storage " << path << " is no plain file");
    } else if (status.st_size > Storage::maxFileSize) {
        LOG("ERROR: Storage " << path << " of " << status.st_size << " bytes is larger than " << Storage::maxFileSize);
    } else {
        bytes.resize(size_t(status.st_size));
        ok = bytes.empty() || std::fread(&bytes[0], bytes.size(), 1, file) == 1;
    }
    std::fclose(file);
    return ok;
}
