#include "Faults.h"
#include "TestSupport.h"
#include "core/CrashGuard.h"
#include "core/Trace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

void faultInside()
{
    TRACE();
    writeToProtectedPage();
}

void throwInside()
{
    TRACE();
    throw std::runtime_error("broken frame");
}

// The standard library throws this one from its own code.
int readPastTheEnd()
{
    TRACE();
    std::vector<int> values(3);
    return values.at(7);
}

// The function on top of the trace's stack, as the guard hands it to `onFault`.
std::string innermost()
{
    return formatTraceEntry(traceBuffer().stack.fromNewest(0));
}

} // namespace

TEST(CrashGuard, FaultsAndExceptionsAbandonTheFrameAndPointAtTheirFunction)
{
    CrashGuard::install();
    std::vector<std::string> locations;
    bool finished = false;
    int stackBefore = traceBuffer().stack.index;
    auto handled = [&] {
        locations.push_back(innermost());
        return true;
    };
    EXPECT_FALSE(CrashGuard::run([&] { faultInside(); finished = true; }, handled));
    EXPECT_FALSE(finished);
    // An exception is reported where it was thrown, not where the guard caught it.
    EXPECT_FALSE(CrashGuard::run(throwInside, handled));
    EXPECT_EQ(logLinesContaining("ERROR: Exception in a frame: broken frame"), 1);
    EXPECT_FALSE(CrashGuard::run([] { readPastTheEnd(); }, handled));
    ASSERT_EQ(locations.size(), 3u);
    EXPECT_NE(locations[0].find("::faultInside"), std::string::npos) << locations[0];
    EXPECT_NE(locations[1].find("::throwInside"), std::string::npos) << locations[1];
    EXPECT_NE(locations[2].find("::readPastTheEnd"), std::string::npos) << locations[2];

    // The guard stays usable for the next frames, and the trace stack stays balanced.
    for (int i = 0; i < 5; i++)
        CrashGuard::run([] { faultInside(); }, [] { return true; });
    EXPECT_EQ(traceBuffer().stack.index, stackBefore);
    EXPECT_TRUE(CrashGuard::run([&] { finished = true; }, handled));
    EXPECT_TRUE(finished);
    EXPECT_EQ(locations.size(), 3u);
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
            CrashGuard::run(throwInside, [] { return false; });
        },
        "");
}

TEST(CrashGuardDeathTest, FaultsOutsideTheFrameEndTheProcessWithACrashFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fault on another thread while a frame runs is not the frame's: it must not jump
    // into the frame's stack from a foreign one.
    EXPECT_EXIT(
        {
            CrashGuard::install();
            CrashGuard::run([] { std::thread(faultInside).join(); }, [] { std::_Exit(3); return true; });
        },
        testing::KilledBySignal(SIGSEGV), "");
    std::string report = crashReports();
    EXPECT_EQ(report.rfind("Game version 1.1.0\nFault outside the game's frames: signal 11\nStack:\n", 0), 0u)
        << report;
    size_t stack = report.find("Stack:\n") + 7;
    EXPECT_NE(report.substr(stack, report.find('\n', stack) - stack).find("::faultInside"), std::string::npos)
        << report;

    // So is one on the main thread before the frames run.
    EXPECT_EXIT(
        {
            CrashGuard::install();
            faultInside();
        },
        testing::KilledBySignal(SIGSEGV), "");
    report = crashReports();
    size_t first = report.find("Fault outside the game's frames: signal 11");
    EXPECT_NE(report.find("Fault outside the game's frames: signal 11", first + 1), std::string::npos) << report;
}
