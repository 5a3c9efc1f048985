#include "Faults.h"
#include "core/CrashGuard.h"
#include "core/Trace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

namespace {

void faultInside()
{
    TRACE();
    writeToProtectedPage();
}

} // namespace

TEST(CrashGuard, FaultsAndExceptionsAbandonTheFrameWhenHandled)
{
    CrashGuard::install();
    int faults = 0;
    bool finished = false;
    int stackBefore = traceBuffer().stack.index;
    std::string location;
    auto handled = [&] {
        faults++;
        TraceEntry entry;
        if (location.empty() && traceBuffer().popStackEntry(entry))
            location = formatTraceEntry(entry); // the faulting function is on top of the stack
        return true;
    };
    EXPECT_FALSE(CrashGuard::run([&] { faultInside(); finished = true; }, handled));
    EXPECT_FALSE(finished);
    EXPECT_EQ(faults, 1);
    EXPECT_NE(location.find("faultInside"), std::string::npos) << location;
    EXPECT_FALSE(CrashGuard::run([] { throw std::runtime_error("broken frame"); }, handled));
    EXPECT_EQ(faults, 2);

    // The guard stays usable for the next frames, and the trace stack stays balanced.
    for (int i = 0; i < 5; i++)
        CrashGuard::run([] { faultInside(); }, [] { return true; });
    EXPECT_EQ(traceBuffer().stack.index, stackBefore);
    EXPECT_TRUE(CrashGuard::run([&] { finished = true; }, handled));
    EXPECT_TRUE(finished);
    EXPECT_EQ(faults, 2);
}

TEST(CrashGuardDeathTest, UnhandledFaultsEndTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CrashGuard::install();
            CrashGuard::run([] { faultInside(); }, [] { return false; });
        },
        testing::KilledBySignal(SIGSEGV), "");
    EXPECT_DEATH(
        {
            CrashGuard::install();
            CrashGuard::run([] { throw std::runtime_error("broken frame"); }, [] { return false; });
        },
        "");
}
