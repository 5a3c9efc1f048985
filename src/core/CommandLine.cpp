#include "core/CommandLine.h"

#include "core/Trace.h"

namespace {

// A replay number as typed: one of the nine slots' numbers, else 0.
int replayNumber(const std::string& text)
{
    TRACE();
    return text.size() == 1 && text[0] >= '1' && text[0] <= '9' ? text[0] - '0' : 0;
}

bool isNumber(const std::string& text)
{
    TRACE();
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int refuse(std::ostream& out, const std::string& problem)
{
    TRACE();
    out << "vantrel: " << problem << "\n\n" << usageText();
    return 2;
}

} // namespace

std::string usageText()
{
    TRACE();
    return "Usage: vantrel [options]\n"
           "\n"
           "Options:\n"
           "  --record        record the first game started in this run as a replay\n"
           "  --replay [N]    play replay N (1, the default, is the newest of the nine\n"
           "                  kept), then show the main menu\n"
           "  --help          show this help and exit\n";
}

int parseCommandLine(int argc, char** argv, CommandLineOptions& options, std::ostream& out)
{
    TRACE();
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
        if (option == "--help") {
            out << usageText();
            return 0;
        }
        if (option == "--record") {
            options.record = true;
        } else if (option == "--replay") {
            options.replay = 1;
            // The number is optional: a following word that is a number is it.
            if (i + 1 < argc && isNumber(argv[i + 1])) {
                options.replay = replayNumber(argv[++i]);
                if (options.replay == 0)
                    return refuse(out, std::string("no replay ") + argv[i] + ": replays are numbered 1 to 9");
            }
        } else {
            return refuse(out, "unknown option " + option);
        }
    }
    return -1;
}
