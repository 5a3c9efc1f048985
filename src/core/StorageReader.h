#pragma once

#include "core/Storage.h"
#include "core/Trace.h"

#include <cstdint>
#include <string>
#include <string_view>

// Reads the fields of a storage file in memory one at a time, in file order. Storage::load
// builds whole trees with it; the saved game reads its pages cell by cell with it,
// without a tree of 65,536 entries for each.
class StorageReader {
public:
    StorageReader(const char* begin, const char* end);

    // The field just read by next(): a string's key and value (within the file's bytes,
    // which must outlive them), an object's key, a list's count.
    std::string_view key;
    std::string_view value;
    uint32_t count = 0;

    // The next field's type (Storage::stringField, objectField, listField or endOfRecord),
    // or 0 for a damaged or cut-off file.
    int next();
    // After an object or list header: the object into target.objects, or the list's
    // records appended to target.list. `depth` is the nesting level of their records.
    bool readNested(int field, Storage& target, int depth);
    // Hands each field of the record to `take(field)`, up to the record's end marker;
    // false as soon as the file is damaged or `take` returns false.
    template <class Take>
    bool readFields(Take take)
    {
        TRACE();
        for (;;) {
            int field = next();
            if (field == 0)
                return false;
            if (field == Storage::endOfRecord)
                return true;
            if (!take(field))
                return false;
        }
    }
    // The rest of a record, up to its end marker, into `target`.
    bool readRecord(Storage& target, int depth);

    // The whole file, or false when it is missing, no plain file, or larger than any
    // the game writes.
    static bool readFile(const std::string& path, bool reportMissing, std::string& bytes);

private:
    const char* position;
    const char* end;
};
