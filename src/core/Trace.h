#pragma once

#include <cstddef>
#include <string>

// The scope trace: every function of the game records itself on entry, so a crash
// report can show the live call stack and the most recent calls without a debugger.

struct TraceEntry {
    int line;
    const char* file;
    const char* function;
};

struct TraceRing {
    static constexpr int size = 1000;
    TraceEntry entries[size];
    int index = 0;
    bool wrapped = false;

    // Entries held (up to size), and the entry `age` steps back from the newest.
    int count() const { return wrapped ? size : index; }
    const TraceEntry& fromNewest(int age) const { return entries[((index - 1 - age) % size + size) % size]; }

    void add(const TraceEntry& entry)
    {
        entries[index] = entry;
        if (++index == size) {
            index = 0;
            wrapped = true;
        }
    }
};

struct TraceBuffer {
    TraceRing history;  // every entry, in call order
    TraceRing stack;    // mirrors the live call stack

    // Inline: they run on entry to and exit from every function of the game.
    void push(const char* file, int line, const char* function)
    {
        history.add({line, file, function});
        stack.add({line, file, function});
    }
    void pop()
    {
        if (stack.index > 0) {
            stack.index--;
        } else if (stack.wrapped) {
            stack.index = TraceRing::size - 1;
            stack.wrapped = false;
        }
    }
};

extern TraceBuffer theTraceBuffer;
inline TraceBuffer& traceBuffer()
{
    return theTraceBuffer;
}

// "file:line Class::function" with the build's source folder and the signature trimmed.
std::string formatTraceEntry(const TraceEntry& entry);
// The same into `out` (cut to fit, always terminated), returning its length; it
// allocates nothing, so a signal handler may use it.
size_t formatTraceEntry(const TraceEntry& entry, char* out, size_t size);

class TraceScope {
public:
    TraceScope(const char* file, int line, const char* function) { traceBuffer().push(file, line, function); }
    ~TraceScope() { traceBuffer().pop(); }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

#define TRACE() TraceScope traceScope_(__FILE__, __LINE__, __PRETTY_FUNCTION__)
