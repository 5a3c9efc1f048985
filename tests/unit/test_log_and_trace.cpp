#include "core/CircularLog.h"
#include "core/Trace.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(CircularLog, RingKeepsTheLastHundredLines)
{
    CircularLog log;
    for (int i = 0; i < 50; i++)
        log.log("line " + std::to_string(i));
    EXPECT_EQ(log.size(), 50);
    EXPECT_EQ(log.fromNewest(0), "line 49");
    EXPECT_EQ(log.fromNewest(49), "line 0");

    for (int i = 50; i < 130; i++)
        log.log("line " + std::to_string(i));
    ASSERT_EQ(log.size(), 100);
    EXPECT_EQ(log.fromNewest(0), "line 129");
    EXPECT_EQ(log.fromNewest(99), "line 30");
    EXPECT_TRUE(log.dirty);
}

TEST(CircularLog, LinesReachTheFileAsTheyAreCommitted)
{
    CircularLog log;
    log.lineStream << "before open";
    log.commit();
    std::string path = testUserRoot() + "/test.log";
    log.open(path);
    log.lineStream << "value = " << 42;
    log.commit();
    log.log("second");
    EXPECT_EQ(readFileBytes(path), "value = 42\nsecond\n");
    EXPECT_EQ(log.fromNewest(2), "before open");
}

namespace {

void innermost(std::string& location)
{
    TRACE();
    location = formatTraceEntry(traceBuffer().stack.fromNewest(0));
}

void outer(std::string& location)
{
    TRACE();
    innermost(location);
}

} // namespace

TEST(Trace, StackListsInnermostFunctionFirstWithoutSourceRoot)
{
    std::string location;
    outer(location);
    EXPECT_EQ(location.rfind("tests/unit/test_log_and_trace.cpp:", 0), 0u) << location;
    EXPECT_NE(location.find("innermost"), std::string::npos) << location;

    TraceEntry entry{12, "game/x.cpp", "std::map<int, int> Game::pause(int, const char*)"};
    EXPECT_EQ(formatTraceEntry(entry), "game/x.cpp:12 Game::pause"); // the qualified name only
    char small[8];
    EXPECT_EQ(formatTraceEntry(entry, small, sizeof small), 7u);
    EXPECT_STREQ(small, "game/x.");
}

TEST(Trace, HistoryRecordsEveryCallAndWraps)
{
    TraceBuffer& buffer = traceBuffer();
    std::string unused;
    for (int i = 0; i < 600; i++)
        outer(unused);
    EXPECT_TRUE(buffer.history.wrapped);
    EXPECT_EQ(buffer.history.count(), TraceRing::size);
    // Calls alternate outer, innermost: the oldest held is an outer one.
    EXPECT_NE(formatTraceEntry(buffer.history.fromNewest(0)).find("innermost"), std::string::npos);
    EXPECT_NE(formatTraceEntry(buffer.history.fromNewest(TraceRing::size - 1)).find("outer"), std::string::npos);
}

TEST(Trace, StackRingUnwindsAcrossItsWrap)
{
    TraceBuffer buffer;
    for (int i = 0; i < TraceRing::size + 5; i++)
        buffer.push("f.cpp", i, "void deep()");
    EXPECT_TRUE(buffer.stack.wrapped);
    EXPECT_EQ(buffer.stack.index, 5);
    for (int i = 0; i < 6; i++)
        buffer.pop();
    EXPECT_EQ(buffer.stack.index, TraceRing::size - 1);
    EXPECT_FALSE(buffer.stack.wrapped);
    EXPECT_EQ(buffer.stack.count(), TraceRing::size - 1);
    EXPECT_EQ(buffer.stack.fromNewest(0).line, TraceRing::size - 2);
}

