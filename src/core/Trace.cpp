#include "core/Trace.h"

#include <cstring>

// The trace does not record its own functions: they run on every call of the game.

TraceBuffer theTraceBuffer;

std::string formatTraceEntry(const TraceEntry& entry)
{
    char text[1024];
    size_t length = formatTraceEntry(entry, text, sizeof text);
    return std::string(text, length);
}

size_t formatTraceEntry(const TraceEntry& entry, char* out, size_t size)
{
    size_t length = 0;
    auto append = [&](const char* begin, const char* end) {
        for (const char* at = begin; at < end && length + 1 < size; at++)
            out[length++] = *at;
    };

    const char* file = entry.file ? entry.file : "?";
    const char* root = VANTREL_SOURCE_ROOT;
    if (std::strncmp(file, root, std::strlen(root)) == 0)
        file += std::strlen(root);
    append(file, file + std::strlen(file));

    char digits[16];
    int count = 0;
    unsigned line = entry.line < 0 ? 0u : unsigned(entry.line);
    do {
        digits[count++] = char('0' + line % 10);
        line /= 10;
    } while (line != 0);
    char number[17] = {':'};
    for (int i = 0; i < count; i++)
        number[1 + i] = digits[count - 1 - i];
    number[1 + count] = ' ';
    append(number, number + count + 2);

    // __PRETTY_FUNCTION__ carries the whole signature; keep the qualified name.
    const char* function = entry.function ? entry.function : "?";
    const char* begin = function;
    const char* end = std::strchr(function, '(');
    if (end) {
        for (const char* at = function; at < end; at++) {
            if (*at == ' ')
                begin = at + 1;
        }
    } else {
        end = function + std::strlen(function);
    }
    append(begin, end);
    if (size > 0)
        out[length] = 0;
    return length;
}
