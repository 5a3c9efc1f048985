#pragma once

#include <ostream>
#include <string>

// What the command line asks of this run.
struct CommandLineOptions {
    bool record = false; // record the first game started
    int replay = 0;      // 0: none, else the replay to play, 1 = newest
    std::string language; // a code of the translator's table; "" is English
    bool languageGiven = false;
    bool windowed = false; // a window for this run, whatever display mode is stored
};

// Reads the options. Returns -1 when the game should start, otherwise the exit code
// (0 after --help or --version, 2 for an unknown option or a bad value) after printing
// to `out`.
int parseCommandLine(int argc, char** argv, CommandLineOptions& options, std::ostream& out);

// The options and what they do, as --help shows them.
std::string usageText();
