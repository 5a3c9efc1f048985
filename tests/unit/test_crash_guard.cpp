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

TEST(CrashGuard, HardwareFaultAbandonsTheFrameWhenHandled)
{
    CrashGuard::install();
    int faults = 0;
    bool finished = false;
    bool completed = CrashGuard::run([&] { faultInside(); finished = true; }, [&] { faults++; return true; });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(finished);
    EXPECT_EQ(faults, 1);

    // The guard stays usable for the next frames.
    completed = CrashGuard::run([&] { finished = true; }, [&] { faults++; return true; });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(finished);
    EXPECT_EQ(faults, 1);
}

TEST(CrashGuard, ExceptionsAreHandledLikeFaults)
{
    CrashGuard::install();
    int faults = 0;
    EXPECT_FALSE(CrashGuard::run([] { throw std::runtime_error("broken frame"); }, [&] { faults++; return true; }));
    EXPECT_EQ(faults, 1);
}

TEST(CrashGuard, TraceStackIsBalancedAfterAFault)
{
    CrashGuard::install();
    int before = traceBuffer().stack.index;
    for (int i = 0; i < 5; i++)
        CrashGuard::run([] { faultInside(); }, [] { return true; });
    EXPECT_EQ(traceBuffer().stack.index, before);
}

TEST(CrashGuard, OnFaultSeesTheFaultingFunctionOnTopOfTheStack)
{
    CrashGuard::install();
    std::string location;
    CrashGuard::run([] { faultInside(); }, [&] {
        TraceEntry entry;
        if (traceBuffer().popStackEntry(entry))
            location = formatTraceEntry(entry);
        return true;
    });
    EXPECT_NE(location.find("faultInside"), std::string::npos) << location;
}

TEST(CrashGuardDeathTest, UnhandledFaultEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CrashGuard::install();
            CrashGuard::run([] { faultInside(); }, [] { return false; });
        },
        testing::KilledBySignal(SIGSEGV), "");
}

TEST(CrashGuardDeathTest, UnhandledExceptionEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            CrashGuard::install();
            CrashGuard::run([] { throw std::runtime_error("broken frame"); }, [] { return false; });
        },
        "");
}
