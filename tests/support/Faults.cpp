#include "Faults.h"

#include <sys/mman.h>

void* protectedPage()
{
    static void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return page;
}

void writeToProtectedPage()
{
    *static_cast<volatile int*>(protectedPage()) = 1;
}
