#include "core/Trace.h"

#include <cstring>

// The trace does not record its own functions: they run on every call of the game.

namespace {

TraceBuffer theTraceBuffer;

void advance(TraceRing& ring)
{
    ring.index++;
    if (ring.index >= TraceRing::size) {
        ring.index = 0;
        ring.wrapped = true;
    }
}

bool takeNewest(TraceRing& ring, TraceEntry& entry)
{
    int index = ring.index - 1;
    if (index < 0) {
        if (!ring.wrapped) {
            ring.index = 0;
            return false;
        }
        index = TraceRing::size - 1;
        ring.wrapped = false;
    }
    ring.index = index;
    entry = ring.entries[index];
    return true;
}

} // namespace

TraceBuffer& traceBuffer()
{
    return theTraceBuffer;
}

void TraceBuffer::push(const char* file, int line, const char* function)
{
    TraceEntry entry{line, file, function};
    history.entries[history.index] = entry;
    advance(history);
    stack.entries[stack.index] = entry;
    advance(stack);
}

void TraceBuffer::pop()
{
    stack.index--;
    if (stack.index < 0) {
        if (stack.wrapped) {
            stack.index = TraceRing::size - 1;
            stack.wrapped = false;
        } else {
            stack.index = 0;
        }
    }
}

bool TraceBuffer::popStackEntry(TraceEntry& entry)
{
    return takeNewest(stack, entry);
}

bool TraceBuffer::takeHistoryEntry(TraceEntry& entry)
{
    return takeNewest(history, entry);
}

std::string formatTraceEntry(const TraceEntry& entry)
{
    std::string file = entry.file ? entry.file : "?";
    const char* root = VANTREL_SOURCE_ROOT;
    if (file.compare(0, std::strlen(root), root) == 0)
        file.erase(0, std::strlen(root));

    // __PRETTY_FUNCTION__ carries the whole signature; keep the qualified name.
    std::string function = entry.function ? entry.function : "?";
    size_t paren = function.find('(');
    if (paren != std::string::npos) {
        function.erase(paren);
        size_t space = function.rfind(' ');
        if (space != std::string::npos)
            function.erase(0, space + 1);
    }
    return file + ":" + std::to_string(entry.line) + " " + function;
}
