#include "core/CrashGuard.h"

#include "core/Trace.h"

#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace {

const int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

sigjmp_buf* activeJump = nullptr;

// Runs inside the fault: it leaves the trace as the fault found it, for the report.
void onSignal(int signalNumber)
{
    if (activeJump) {
        sigjmp_buf* jump = activeJump;
        activeJump = nullptr;
        siglongjmp(*jump, signalNumber);
    }
    // Outside a guarded frame the fault is fatal, as without a handler.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void endProcessWith(int signalNumber)
{
    TRACE();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    std::abort();
}

} // namespace

void CrashGuard::install()
{
    TRACE();
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    // The alternate stack lets the handler run even when the fault was a stack overflow.
    static char alternateStack[64 * 1024];
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : guardedSignals)
        sigaction(signalNumber, &action, nullptr);
}

bool CrashGuard::run(const std::function<void()>& body, const std::function<bool()>& onFault)
{
    TRACE();
    // A fault skips the destructors that pop the trace; only the report may consume
    // the stack ring, so it is put back as it was when the frame began.
    const int stackIndex = traceBuffer().stack.index;
    const bool stackWrapped = traceBuffer().stack.wrapped;
    sigjmp_buf jump;
    sigjmp_buf* outer = activeJump;
    int signalNumber = sigsetjmp(jump, 1);
    if (signalNumber == 0) {
        activeJump = &jump;
        try {
            body();
            activeJump = outer;
            return true;
        } catch (...) {
            activeJump = outer;
            if (!onFault())
                std::terminate();
            traceBuffer().stack.index = stackIndex;
            traceBuffer().stack.wrapped = stackWrapped;
            return false;
        }
    }
    activeJump = outer;
    if (!onFault())
        endProcessWith(signalNumber);
    traceBuffer().stack.index = stackIndex;
    traceBuffer().stack.wrapped = stackWrapped;
    return false;
}
