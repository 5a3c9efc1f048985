#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    bool record;
    int replay;
    const char* output; // a piece of what is printed; "" for nothing
};

// Parses "vantrel" followed by the arguments; `printed` receives what was printed.
int parse(const std::vector<std::string>& arguments, CommandLineOptions& options, std::string& printed)
{
    std::vector<std::string> words{"vantrel"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    std::ostringstream out;
    int code = parseCommandLine(int(argv.size()), argv.data(), options, out);
    printed = out.str();
    return code;
}

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
        CommandLineOptions options;
        std::string printed;
        std::string line = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(parse(c.arguments, options, printed), c.exitCode) << line;
        EXPECT_EQ(options.record, c.record) << line;
        EXPECT_EQ(options.replay, c.replay) << line;
        if (*c.output) {
            EXPECT_NE(printed.find(c.output), std::string::npos) << printed;
        } else {
            EXPECT_EQ(printed, "") << line;
        }
        if (c.exitCode >= 0) {
            EXPECT_NE(printed.find(usageText()), std::string::npos) << line;
        }
    }
}

TEST(CommandLine, OnlyLanguagesOfTheTableAreTakenAndTheVersionIsShown)
{
    // Arguments, exit code, language given (null: none), a window asked for, a piece of
    // what is printed.
    const std::tuple<std::vector<std::string>, int, const char*, bool, const char*> cases[] = {
        {{"--language", "de", "--windowed"}, -1, "de", true, ""},
        {{"--language", "en"}, -1, "", false, ""},
        {{"--language", ""}, -1, "", false, ""},
        {{"--windowed", "--language", "pt_BR"}, -1, "pt_BR", true, ""},
        {{"--language", "xx"}, 2, nullptr, false, "Known language codes:\n  en af ak sq"},
        {{"--language", "../../de"}, 2, nullptr, false, "unknown language code ../../de"},
        {{"--language", "DE"}, 2, nullptr, false, " bs_Latn "},
        {{"--language"}, 2, nullptr, false, "--language needs a language code"},
        {{"--version", "--fly"}, 0, nullptr, false, "Vantrel 1.1.0\n"},
        {{"--help"}, 0, nullptr, false, "  --language CODE\n"},
    };
    for (const auto& [arguments, exitCode, language, windowed, output] : cases) {
        CommandLineOptions options;
        std::string printed;
        const std::string& line = arguments.back();
        EXPECT_EQ(parse(arguments, options, printed), exitCode) << line;
        EXPECT_EQ(options.languageGiven, language != nullptr) << line;
        EXPECT_EQ(options.language, language ? language : "") << line;
        EXPECT_EQ(options.windowed, windowed) << line;
        EXPECT_NE(printed.find(output), std::string::npos) << printed;
        std::istringstream lines(printed); // what is printed fits a terminal
        for (std::string each; std::getline(lines, each);)
            EXPECT_LE(each.size(), 79u) << each;
    }
}
