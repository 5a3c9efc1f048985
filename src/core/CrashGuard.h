#pragma once

#include "core/Trace.h"

#include <cstddef>
#include <functional>

// Runs one frame so that a hardware fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) or an
// exception inside it does not simply kill the game: `onFault` decides. When it
// returns true the rest of the frame is abandoned and the caller carries on; when it
// returns false the fault ends the process as it would have without the guard.
// `onFault` sees the trace as the fault found it: for an exception, as it stood at the
// throw, before the unwinding popped it.
class CrashGuard {
public:
    // Installs the signal handlers and their alternate stack; once per process. A fault
    // outside a guarded frame (before the frames run, or on a thread other than the
    // frame's) writes a crash file into the per-user folder when it can, then ends the
    // process as it would have without the guard.
    static void install();
    // Returns false when the body faulted (and `onFault` handled it).
    static bool run(const std::function<void()>& body, const std::function<bool()>& onFault);

    // "crash-YYYY-MM-DD-HHMMSS.txt" in the per-user folder for the local time now, without
    // allocating or locking (the time zone is read by install(), which must come first).
    // A longer folder than `pathSize` leaves for the name is cut.
    static constexpr size_t pathSize = 4096;
    static void crashFilePath(char* out, size_t size);
    // Writes a crash file at `path` (appending): the game's version, `headline` when
    // given, the stack of `trace` from its newest entry on (skipping the `skip` newest)
    // and its recent calls. It allocates nothing and takes no lock, so a signal handler
    // may call it. False when the file could not be opened.
    static bool writeCrashFile(const char* path, const TraceBuffer& trace, int skip, const char* headline);
};
