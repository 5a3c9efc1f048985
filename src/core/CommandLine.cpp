#include "core/CommandLine.h"

#include "core/Trace.h"
#include "core/Translator.h"

#include <algorithm>
#include <vector>

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

// An unknown language code: the codes that are known, wrapped as a terminal shows them.
int refuseLanguage(std::ostream& out, const std::string& code)
{
    TRACE();
    out << "vantrel: unknown language code " << code << "\n\nKnown language codes:\n ";
    size_t column = 1;
    std::vector<std::string> codes = Translator::languageCodes();
    codes.insert(codes.begin(), "en");
    for (const std::string& known : codes) {
        if (column + 1 + known.size() > 78) {
            out << "\n ";
            column = 1;
        }
        out << " " << known;
        column += 1 + known.size();
    }
    out << "\n";
    return 2;
}

bool isLanguageCode(const std::string& code)
{
    TRACE();
    std::vector<std::string> codes = Translator::languageCodes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
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
           "  --language CODE\n"
           "                  play in that language from now on (en is English); an\n"
           "                  unknown code lists the known ones\n"
           "  --windowed      play in a window until a display mode is applied in the\n"
           "                  menu; the stored display mode stays for the next start\n"
           "  --version       show the version and exit\n"
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
        if (option == "--version") {
            out << "Vantrel " << VANTREL_VERSION_MAJOR << "." << VANTREL_VERSION_MINOR << "." << VANTREL_VERSION_PATCH
                << "\n";
            return 0;
        }
        if (option == "--record") {
            options.record = true;
        } else if (option == "--windowed") {
            options.windowed = true;
        } else if (option == "--language") {
            if (i + 1 >= argc)
                return refuse(out, "--language needs a language code");
            std::string code = argv[++i];
            if (code == "en")
                code.clear();
            // Only codes of the table: the code names a file the game will open.
            if (!code.empty() && !isLanguageCode(code))
                return refuseLanguage(out, code);
            options.language = code;
            options.languageGiven = true;
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
