#pragma once

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
};

struct TraceBuffer {
    TraceRing history;  // every entry, in call order
    TraceRing stack;    // mirrors the live call stack

    void push(const char* file, int line, const char* function);
    void pop();
    // Removes and returns the newest stack entry; false when the stack ring is empty.
    bool popStackEntry(TraceEntry& entry);
    // Walks the history ring from the newest entry; false when no entry is left.
    bool takeHistoryEntry(TraceEntry& entry);
};

TraceBuffer& traceBuffer();

// "file:line Class::function" with the build's source folder and the signature trimmed.
std::string formatTraceEntry(const TraceEntry& entry);

class TraceScope {
public:
    TraceScope(const char* file, int line, const char* function) { traceBuffer().push(file, line, function); }
    ~TraceScope() { traceBuffer().pop(); }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

#define TRACE() TraceScope traceScope_(__FILE__, __LINE__, __PRETTY_FUNCTION__)
