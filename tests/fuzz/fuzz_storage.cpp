// The storage reader over any bytes: a load never crashes, hangs or runs out of
// memory, and whatever it accepts is written back and read again to the same tree.

#include "FuzzSupport.h"

#include "core/Storage.h"

#include <cstdlib>

namespace {

bool sameTree(const Storage& a, const Storage& b)
{
    if (a.strings != b.strings || a.objects.size() != b.objects.size() || a.list.size() != b.list.size())
        return false;
    for (auto left = a.objects.begin(), right = b.objects.begin(); left != a.objects.end(); ++left, ++right) {
        if (left->first != right->first || !sameTree(*left->second, *right->second))
            return false;
    }
    for (size_t i = 0; i < a.list.size(); i++) {
        if (!sameTree(*a.list[i], *b.list[i]))
            return false;
    }
    return true;
}

} // namespace

void prepareTarget()
{
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Storage storage;
    if (!storage.load(writeInput("input.storage", data, size), true))
        return 0;
    std::string copy = writeInput("copy.storage", nullptr, 0);
    Storage reread;
    if (!storage.save(copy) || !reread.load(copy, true) || !sameTree(storage, reread))
        std::abort();
    return 0;
}
