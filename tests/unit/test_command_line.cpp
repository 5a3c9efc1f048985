#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    bool record;
    int replay;
    const char* output; // a piece of what is printed; "" for nothing
};

} // namespace

TEST(CommandLine, OptionsAreReadAndMistakesEndTheRunWithTheUsage)
{
    const Case cases[] = {
        {{}, -1, false, 0, ""},
        {{"--record"}, -1, true, 0, ""},
        {{"--replay"}, -1, false, 1, ""},
        {{"--replay", "3", "--record"}, -1, true, 3, ""},
        {{"--record", "--replay"}, -1, true, 1, ""},
        {{"--help"}, 0, false, 0, "  --replay [N]"},
        {{"--replay", "0"}, 2, false, 0, "no replay 0"},
        {{"--replay", "10"}, 2, false, 0, "no replay 10"},
        {{"--replay", "two"}, 2, false, 1, "unknown option two"},
        {{"--recordx"}, 2, false, 0, "Usage: vantrel [options]"},
        {{"-r"}, 2, false, 0, "unknown option -r"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words{"vantrel"};
        words.insert(words.end(), c.arguments.begin(), c.arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        CommandLineOptions options;
        std::ostringstream out;
        std::string line = words.size() > 1 ? words[1] : "(none)";
        EXPECT_EQ(parseCommandLine(int(argv.size()), argv.data(), options, out), c.exitCode) << line;
        EXPECT_EQ(options.record, c.record) << line;
        EXPECT_EQ(options.replay, c.replay) << line;
        if (*c.output) {
            EXPECT_NE(out.str().find(c.output), std::string::npos) << out.str();
        } else {
            EXPECT_EQ(out.str(), "") << line;
        }
        if (c.exitCode >= 0) {
            EXPECT_NE(out.str().find(usageText()), std::string::npos) << line;
        }
    }
}
