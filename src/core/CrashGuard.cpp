#include "core/CrashGuard.h"

#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cxxabi.h>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <exception>
#include <fcntl.h>
#include <typeinfo>
#include <unistd.h>

namespace {

const int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// Each thread has its own: a fault on a thread other than the frame's is never sent
// back into the frame.
thread_local sigjmp_buf* activeJump = nullptr;

// The stack ring as the latest throw found it.
TraceRing stackAtThrow;

// Filled by install(), so that a signal handler can name the crash file without
// allocating: the per-user folder, and the local time's offset from UTC.
char crashFolder[CrashGuard::pathSize - 40];
long localOffsetSeconds = 0;

// The functions below up to onSignal run inside a signal handler and write the trace
// out, so they record nothing in it.

// Appends `value` with at least `width` digits.
char* appendNumber(char* at, long value, int width)
{
    char digits[24];
    int count = 0;
    unsigned long rest = value < 0 ? 0ul : (unsigned long)value;
    do {
        digits[count++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0 || count < width);
    while (count > 0)
        *at++ = digits[--count];
    return at;
}

// A small writer for the signal handler: plain write() calls, no allocation.
class RawFile {
public:
    explicit RawFile(int descriptor)
        : descriptor(descriptor)
    {
    }
    void text(const char* piece) { bytes(piece, std::strlen(piece)); }
    void bytes(const char* piece, size_t length)
    {
        while (length > 0) {
            ssize_t written = ::write(descriptor, piece, length);
            if (written <= 0)
                return;
            piece += written;
            length -= size_t(written);
        }
    }
    void number(long value)
    {
        char digits[24];
        bytes(digits, size_t(appendNumber(digits, value, 1) - digits));
    }
    void entries(const TraceRing& ring, int skip)
    {
        char line[1024];
        for (int age = skip; age < ring.count(); age++) {
            size_t length = formatTraceEntry(ring.fromNewest(age), line, sizeof line - 1);
            line[length] = '\n';
            bytes(line, length + 1);
        }
    }

private:
    int descriptor;
};

// A fault that no frame takes: write what can be written, then let it end the process.
void reportUnguardedFault(int signalNumber)
{
    static volatile sig_atomic_t reporting = 0;
    if (reporting)
        return; // a fault while reporting one: give up on the report
    reporting = 1;
    char headline[64] = "Fault outside the game's frames: signal ";
    *appendNumber(headline + std::strlen(headline), signalNumber, 1) = 0;
    char path[CrashGuard::pathSize];
    CrashGuard::crashFilePath(path, sizeof path);
    CrashGuard::writeCrashFile(path, traceBuffer(), 0, headline);

    // The log's lines are flushed as they are committed: this one can follow them.
    CircularLog& log = CircularLog::instance();
    if (log.file) {
        RawFile file(fileno(log.file));
        file.text("CRASH!!! ");
        file.text(headline);
        file.text(", details in ");
        file.text(path);
        file.text("\n");
    }
}

// Runs inside the fault: it leaves the trace as the fault found it, for the report.
void onSignal(int signalNumber)
{
    if (activeJump) {
        sigjmp_buf* jump = activeJump;
        activeJump = nullptr;
        siglongjmp(*jump, signalNumber);
    }
    // Outside a guarded frame the fault is fatal, as without a handler.
    reportUnguardedFault(signalNumber);
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

// What an exception says about itself, for the log.
std::string exceptionText()
{
    TRACE();
    try {
        throw;
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "not a standard exception";
    }
}

} // namespace

// Every throw passes here first and keeps the trace's stack as the throw found it: by
// the time the frame's guard catches the exception, unwinding has popped it. Then the
// C++ runtime's own throw goes on as usual.
namespace __cxxabiv1 {
extern "C" void __cxa_throw(void* exception, std::type_info* type, void (*destroy)(void*))
{
    stackAtThrow = traceBuffer().stack;
    using Throw = decltype(&__cxa_throw);
    static const Throw next = reinterpret_cast<Throw>(dlsym(RTLD_NEXT, "__cxa_throw"));
    next(exception, type, destroy);
    std::abort(); // the runtime's throw does not return
}
} // namespace __cxxabiv1

void CrashGuard::install()
{
    TRACE();
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    std::strncpy(crashFolder, prefPath().c_str(), sizeof crashFolder - 1);
    std::time_t now = std::time(nullptr);
    std::tm local;
    if (localtime_r(&now, &local))
        localOffsetSeconds = local.tm_gmtoff;

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
    // the stack ring, so it is put back as it was when the frame began. Volatile, so
    // that the jump back from a fault cannot leave them in a stale register.
    const volatile int stackIndex = traceBuffer().stack.index;
    const volatile bool stackWrapped = traceBuffer().stack.wrapped;
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
            traceBuffer().stack = stackAtThrow;
            LOG("ERROR: Exception in a frame: " << exceptionText());
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

void CrashGuard::crashFilePath(char* out, size_t size)
{
    TRACE();
    // Civil date and time from the seconds since 1970 (proleptic Gregorian calendar).
    long long seconds = (long long)std::time(nullptr) + localOffsetSeconds;
    long long days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    long secondOfDay = long(seconds - days * 86400);
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long dayOfEra = days - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthIndex = (5 * dayOfYear + 2) / 153;
    long day = long(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    long month = long(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    long year = long(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));

    char name[48] = "crash-";
    char* at = name + 6;
    at = appendNumber(at, year, 4);
    *at++ = '-';
    at = appendNumber(at, month, 2);
    *at++ = '-';
    at = appendNumber(at, day, 2);
    *at++ = '-';
    at = appendNumber(at, secondOfDay / 3600, 2);
    at = appendNumber(at, secondOfDay / 60 % 60, 2);
    at = appendNumber(at, secondOfDay % 60, 2);
    std::memcpy(at, ".txt", 5);

    size_t folderLength = std::min(std::strlen(crashFolder), size - 1);
    std::memcpy(out, crashFolder, folderLength);
    std::strncpy(out + folderLength, name, size - 1 - folderLength);
    out[size - 1] = 0;
}

// Writes the trace, so it records nothing in it.
bool CrashGuard::writeCrashFile(const char* path, const TraceBuffer& trace, int skip, const char* headline)
{
    int descriptor = ::open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (descriptor < 0)
        return false;
    RawFile file(descriptor);
    file.text("Game version ");
    file.number(VANTREL_VERSION_MAJOR);
    file.text(".");
    file.number(VANTREL_VERSION_MINOR);
    file.text(".");
    file.number(VANTREL_VERSION_PATCH);
    file.text("\n");
    if (headline) {
        file.text(headline);
        file.text("\n");
    }
    file.text("Stack:\n");
    file.entries(trace.stack, skip);
    file.text("---- recent function calls -----\n");
    file.entries(trace.history, 0);
    ::close(descriptor);
    return true;
}
