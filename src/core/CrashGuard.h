#pragma once

#include <functional>

// Runs one frame so that a hardware fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) or an
// exception inside it does not simply kill the game: `onFault` decides. When it
// returns true the rest of the frame is abandoned and the caller carries on; when it
// returns false the fault ends the process as it would have without the guard.
class CrashGuard {
public:
    // Installs the signal handlers and their alternate stack; once per process.
    static void install();
    // Returns false when the body faulted (and `onFault` handled it).
    static bool run(const std::function<void()>& body, const std::function<bool()>& onFault);
};
