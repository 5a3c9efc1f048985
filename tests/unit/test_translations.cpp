#include "TestSupport.h"

#include "core/Achievement.h"
#include "core/Menu.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <utf8.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// The shipped translations must cover every text the game passes through the
// translator. The texts are read from the game's own sources, so the list cannot fall
// behind the code: every call of a translating function is found, and its text and
// context are read from its arguments (a literal, a choice between literals, or a table
// or named text defined with literals; a context chosen per row of a table is paired
// with the table row by row). The achievement texts come from the achievement list.
// A call whose text cannot be read fails the test: a new helper that hands its text on
// to the translator joins `translating`, any other new kind of call is taught here.

namespace {

// Which arguments of a translating function hold the English text, the English plural
// and the context; -1 for none.
struct Roles {
    int english, plural, context;
};

const std::map<std::string, Roles> translating{{"translate", {0, -1, 1}}, {"translatePlural", {1, 2, 3}},
    {"tr", {0, -1, 1}}, {"labelText", {0, -1, -1}}, {"labelCells", {0, -1, -1}}, {"drawLabel", {2, -1, -1}}};

struct Token {
    bool literal; // a string literal with its escapes decoded; otherwise a word or a mark
    std::string value;
    int line;
};

using Tokens = std::vector<Token>;

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isMark(const Tokens& tokens, size_t i, const char* mark)
{
    return i < tokens.size() && !tokens[i].literal && tokens[i].value == mark;
}

bool isWord(const Tokens& tokens, size_t i)
{
    return i < tokens.size() && !tokens[i].literal && isWordChar(tokens[i].value[0]);
}

// C++ source as words, string literals (neighbours joined, as the compiler joins them)
// and marks; comments and preprocessor lines are dropped, a character literal is a mark.
Tokens tokenize(const std::string& source)
{
    Tokens tokens;
    int line = 1;
    bool lineStart = true;
    for (size_t i = 0; i < source.size();) {
        char c = source[i];
        bool comment = source.compare(i, 2, "/*") == 0;
        if (std::isspace(static_cast<unsigned char>(c))) {
            line += c == '\n';
            lineStart = lineStart || c == '\n';
            i++;
            continue;
        } else if ((lineStart && c == '#') || source.compare(i, 2, "//") == 0 || comment) {
            size_t end = std::min(source.find(comment ? "*/" : "\n", i), source.size());
            end = comment ? std::min(end + 2, source.size()) : end;
            line += int(std::count(source.begin() + long(i), source.begin() + long(end), '\n'));
            i = end;
        } else if (c == '"' || c == '\'') {
            std::string value;
            for (i++; i < source.size() && source[i] != c; i++) {
                char next = source[i];
                if (next == '\\' && source[++i] == 'x') {
                    size_t digits = 0;
                    next = char(std::stoi(source.substr(i + 1, 2), &digits, 16));
                    i += digits;
                } else if (next == '\\') {
                    next = source[i] == 'n' ? '\n' : source[i] == 't' ? '\t' : source[i];
                }
                value += next;
            }
            i++;
            if (c == '\'')
                tokens.push_back({false, "'", line});
            else if (!tokens.empty() && tokens.back().literal)
                tokens.back().value += value;
            else
                tokens.push_back({true, value, line});
        } else {
            size_t length = 1;
            while (isWordChar(c) && i + length < source.size() && isWordChar(source[i + length]))
                length++;
            for (const char* pair : {"::", "->", "=="})
                length = source.compare(i, 2, pair) == 0 ? 2 : length;
            tokens.push_back({false, source.substr(i, length), line});
            i += length;
        }
        lineStart = false;
    }
    return tokens;
}

// Index of the bracket closing the one at `open`, or the end.
size_t closing(const Tokens& tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); i++) {
        const std::string& m = tokens[i].literal ? "" : tokens[i].value;
        depth += (m == "(" || m == "[" || m == "{") - (m == ")" || m == "]" || m == "}");
        if (depth == 0)
            return i;
    }
    return tokens.size();
}

// The comma-separated pieces between the brackets at `open` and `close`.
std::vector<Tokens> splitArguments(const Tokens& tokens, size_t open, size_t close)
{
    std::vector<Tokens> arguments(1);
    for (size_t i = open + 1; i < close; i++) {
        if (isMark(tokens, i, ",")) {
            arguments.emplace_back();
            continue;
        }
        bool bracket = isMark(tokens, i, "(") || isMark(tokens, i, "[") || isMark(tokens, i, "{");
        size_t end = bracket ? closing(tokens, i) : i;
        arguments.back().insert(arguments.back().end(), tokens.begin() + long(i), tokens.begin() + long(end) + 1);
        i = end;
    }
    if (arguments.size() == 1 && arguments[0].empty())
        arguments.clear();
    return arguments;
}

// The member initialisers of constructors "X::X(...) : a(...), b{...}", which are no calls.
std::set<size_t> memberInitialisers(const Tokens& tokens)
{
    std::set<size_t> found;
    for (size_t i = 2; i + 1 < tokens.size(); i++) {
        if (!isMark(tokens, i - 1, "::") || tokens[i - 2].value != tokens[i].value || !isMark(tokens, i + 1, "("))
            continue;
        for (size_t next = closing(tokens, i + 1) + 1; isMark(tokens, next, ":") || isMark(tokens, next, ",");) {
            found.insert(next + 1);
            next = closing(tokens, next + 2) + 1;
        }
    }
    return found;
}

// The values an argument can take: a list for the whole call, or one value per row of
// the table it is read from.
struct Values {
    bool readable = true;
    bool byRow = false;
    std::vector<std::string> list;
};

// A translated text the game asks for, and the first place asking for it.
struct Wanted {
    std::string context, english, plural, where;

    bool operator<(const Wanted& other) const
    {
        return std::tie(context, english) < std::tie(other.context, other.english);
    }
};

class TextScan {
public:
    std::set<Wanted> wanted;
    std::vector<std::string> unreadable;

    // Reads a source's tables: `name[...] = {"a", "b"}` and `name = "a";`, literals only.
    void addSource(const std::string& file, const std::string& text)
    {
        sources.emplace_back(file, tokenize(text));
        const Tokens& tokens = sources.back().second;
        for (size_t i = 0; i + 2 < tokens.size(); i++) {
            size_t equals = isMark(tokens, i + 1, "[") ? closing(tokens, i + 1) + 1 : i + 1;
            if (!isWord(tokens, i) || !isMark(tokens, equals, "="))
                continue;
            std::vector<std::string> values;
            if (equals + 2 < tokens.size() && tokens[equals + 1].literal && isMark(tokens, equals + 2, ";"))
                values.push_back(tokens[equals + 1].value);
            for (const Tokens& item : isMark(tokens, equals + 1, "{")
                     ? splitArguments(tokens, equals + 1, closing(tokens, equals + 1)) : std::vector<Tokens>()) {
                if (item.size() != 1 || !item[0].literal) {
                    values.clear();
                    break;
                }
                values.push_back(item[0].value);
            }
            if (values.empty())
                continue;
            // A name given other texts elsewhere is left unread: it needs a name of its own.
            auto known = tables.emplace(tokens[i].value, values);
            if (!known.second && known.first->second != values)
                known.first->second.clear();
        }
    }

    void scan(const std::vector<Achievement>& achievementList)
    {
        achievements = &achievementList;
        for (const auto& [file, tokens] : sources) {
            std::set<size_t> initialisers = memberInitialisers(tokens);
            std::vector<std::pair<size_t, size_t>> helperBodies;
            for (size_t i = 1; i + 1 < tokens.size(); i++) {
                auto roles = translating.find(tokens[i].value);
                if (tokens[i].literal || roles == translating.end() || !isMark(tokens, i + 1, "(")
                    || initialisers.count(i))
                    continue;
                // A type before the name makes it a declaration or, with a body, a definition.
                size_t next = closing(tokens, i + 1) + 1;
                while (isWord(tokens, next) && (tokens[next].value == "const" || tokens[next].value == "override"))
                    next++;
                bool typeBefore = (isWord(tokens, i - 1) && tokens[i - 1].value != "return")
                    || isMark(tokens, i - 1, "*") || isMark(tokens, i - 1, "&") || isMark(tokens, i - 1, ">");
                if ((typeBefore || isMark(tokens, i - 1, "::")) && isMark(tokens, next, "{"))
                    helperBodies.emplace_back(next, closing(tokens, next));
                if (typeBefore || isMark(tokens, next, "{"))
                    continue;
                readCall(file, tokens, i, roles->second, helperBodies);
            }
        }
        achievements = nullptr;
    }

private:
    std::vector<std::pair<std::string, Tokens>> sources;
    std::map<std::string, std::vector<std::string>> tables; // name -> its texts
    const std::vector<Achievement>* achievements = nullptr;

    const std::vector<std::string>* table(const std::string& name) const
    {
        auto found = tables.find(name);
        return found == tables.end() || found->second.empty() ? nullptr : &found->second;
    }

    Values read(const Tokens& argument) const
    {
        Values values;
        // cond ? a : b
        for (size_t q = 0; q < argument.size(); q++) {
            if (!isMark(argument, q, "?"))
                continue;
            size_t colon = q + 1;
            while (colon < argument.size() && !isMark(argument, colon, ":"))
                colon++;
            Tokens condition(argument.begin(), argument.begin() + long(q));
            Values a = read(Tokens(argument.begin() + long(q) + 1, argument.begin() + long(colon)));
            Values b = read(Tokens(argument.begin() + long(colon) + 1, argument.end()));
            if (!a.readable || !b.readable || a.byRow || b.byRow) {
                values.readable = false;
                return values;
            }
            // table[row] == "x" ? a : b, taken row by row
            const std::vector<std::string>* rows = condition.size() > 3 && isMark(condition, 1, "[")
                ? table(condition[0].value) : nullptr;
            size_t compared = rows ? closing(condition, 1) + 1 : 0;
            if (rows && isMark(condition, compared, "==") && a.list.size() == 1 && b.list.size() == 1) {
                auto literal = std::find_if(condition.begin() + long(compared), condition.end(),
                    [](const Token& token) { return token.literal; });
                values.byRow = literal != condition.end();
                for (size_t row = 0; values.byRow && row < rows->size(); row++)
                    values.list.push_back((*rows)[row] == literal->value ? a.list[0] : b.list[0]);
                if (values.byRow)
                    return values;
            }
            values.list = a.list;
            values.list.insert(values.list.end(), b.list.begin(), b.list.end());
            return values;
        }
        if (argument.size() == 1 && argument[0].literal) {
            values.list.push_back(argument[0].value);
            return values;
        }
        bool indexed = argument.size() > 1 && isMark(argument, 1, "[") && closing(argument, 1) == argument.size() - 1;
        if (isWord(argument, 0) && (argument.size() == 1 || indexed)) {
            if (const std::vector<std::string>* rows = table(argument[0].value)) {
                values.list = *rows;
                values.byRow = indexed;
                return values;
            }
        }
        // The achievement texts, read from the achievement list.
        const std::map<std::string, std::string Achievement::*> achievementTexts{
            {"sourceName", &Achievement::sourceName}, {"sourceNotice", &Achievement::sourceNotice},
            {"sourcePopup", &Achievement::sourcePopup}, {"sourceRequirement", &Achievement::sourceRequirement}};
        if (argument.size() == 3 && isMark(argument, 1, ".") && achievementTexts.count(argument[2].value)) {
            for (const Achievement& achievement : *achievements)
                values.list.push_back(achievement.*achievementTexts.at(argument[2].value));
            return values;
        }
        values.readable = false;
        return values;
    }

    void readCall(const std::string& file, const Tokens& tokens, size_t i, const Roles& roles,
        const std::vector<std::pair<size_t, size_t>>& helperBodies)
    {
        std::vector<Tokens> arguments = splitArguments(tokens, i + 1, closing(tokens, i + 1));
        auto argument = [&](int index) {
            Values none;
            none.list.push_back("");
            return index < 0 || size_t(index) >= arguments.size() ? none : read(arguments[size_t(index)]);
        };
        Values english = argument(roles.english), plural = argument(roles.plural), context = argument(roles.context);
        std::string where = file + ":" + std::to_string(tokens[i].line);
        if (!english.readable || !plural.readable || !context.readable || english.list.empty()) {
            // Inside a translating helper the text is the helper's parameter, handed on.
            bool handedOn = std::any_of(helperBodies.begin(), helperBodies.end(),
                [&](const std::pair<size_t, size_t>& body) { return body.first < i && i < body.second; });
            if (!handedOn)
                unreadable.push_back(where + " " + tokens[i].value);
            return;
        }
        for (size_t row = 0; row < english.list.size(); row++) {
            if (english.list[row].empty())
                continue;
            std::string pluralText = plural.list.size() == english.list.size() ? plural.list[row] : plural.list[0];
            if (english.byRow && context.byRow) {
                if (row < context.list.size())
                    wanted.insert({context.list[row], english.list[row], pluralText, where});
            } else {
                for (const std::string& each : context.list)
                    wanted.insert({each, english.list[row], pluralText, where});
            }
        }
    }
};

TextScan scanTheGame(const std::vector<Achievement>& achievements)
{
    TextScan scan;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VANTREL_TEST_SOURCE_DIR "src")) {
        std::string extension = entry.path().extension().string();
        if (extension == ".cpp" || extension == ".h")
            scan.addSource(entry.path().filename().string(), readFileBytes(entry.path().string()));
    }
    scan.scan(achievements);
    return scan;
}

} // namespace

class ShippedTranslations : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        AchievementManager achievements;
        scan = scanTheGame(achievements.achievements);
    }

    static inline TextScan scan;
};

TEST_P(ShippedTranslations, CoverEveryTextTheGameTranslates)
{
    EXPECT_EQ(scan.unreadable, std::vector<std::string>())
        << "calls whose text the scan cannot read: give them a literal or a table, or teach this test";
    ASSERT_GT(scan.wanted.size(), 50u) << "the scan found too little; is the source folder right?";

    Translator words;
    int errorsBefore = logLinesContaining("ERROR");
    words.loadTranslations(GetParam());
    EXPECT_EQ(logLinesContaining("ERROR"), errorsBefore) << "the file loads without complaint";
    ASSERT_NE(words.pluralRule, nullptr);
    std::set<int> forms;
    for (int count = 0; count <= 1000; count++)
        forms.insert(words.pluralRule(count));

    std::set<Translator::Key> asked;
    for (const Wanted& text : scan.wanted) {
        Translator::Key key(text.context, text.english);
        asked.insert(key);
        bool hash = text.english.find('#') != std::string::npos;
        if (!text.plural.empty()) {
            auto found = words.plurals.find(key);
            if (found == words.plurals.end()) {
                ADD_FAILURE() << "no plural entry for \"" << text.english << "\" (context \"" << text.context
                              << "\"), asked for at " << text.where;
                continue;
            }
            for (int form : forms) {
                const std::string& translated = found->second[size_t(form)];
                EXPECT_FALSE(translated.empty()) << "form " << form << " of \"" << text.english << "\"";
                EXPECT_EQ(translated.find('#') != std::string::npos, hash) << translated;
            }
            continue;
        }
        auto found = words.singulars.find(key);
        if (found == words.singulars.end()) {
            ADD_FAILURE() << "no entry for \"" << text.english << "\" (context \"" << text.context
                          << "\"), asked for at " << text.where;
            continue;
        }
        EXPECT_EQ(found->second.find('#') != std::string::npos, hash) << "the number's place in " << found->second;
    }

    // Entries the game never asks for are left over from changed texts.
    for (const auto& entry : words.singulars)
        EXPECT_TRUE(asked.count(entry.first)) << "unused entry \"" << entry.first.second << "\" (context \""
                                              << entry.first.first << "\")";
    for (const auto& entry : words.plurals)
        EXPECT_TRUE(asked.count(entry.first)) << "unused plural entry \"" << entry.first.second << "\"";
}

TEST_P(ShippedTranslations, FitTheGamesFontAndItsAlignedLabels)
{
    Translator words;
    words.loadTranslations(GetParam());

    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = TTF_OpenFont(dataPath("main.ttf").c_str(), 24);
    ASSERT_NE(font, nullptr) << TTF_GetError();
    std::vector<std::string> texts;
    for (const auto& entry : words.singulars)
        texts.push_back(entry.second);
    for (const auto& entry : words.plurals)
        texts.insert(texts.end(), entry.second.begin(), entry.second.end());
    for (const std::string& text : texts) {
        for (auto position = text.begin(); position != text.end();) {
            uint32_t codePoint = utf8::next(position, text.end());
            if (codePoint != '\n') {
                EXPECT_TRUE(TTF_GlyphIsProvided32(font, codePoint)) << "U+" << std::hex << codePoint << " in " << text;
            }
        }
    }
    TTF_CloseFont(font);
    TTF_Quit();

    // The binding rows are padded so that their colons line up in the fixed-width font.
    std::set<int> widths;
    for (const auto& entry : words.singulars) {
        if (std::find(std::begin(bindingLabels), std::end(bindingLabels), entry.first.second) == std::end(bindingLabels))
            continue;
        widths.insert(int(utf8::distance(entry.second.begin(), entry.second.end())));
        EXPECT_EQ(entry.second.back(), ':') << entry.second;
    }
    EXPECT_EQ(widths.size(), 1u) << "binding labels of different widths";
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedTranslations, testing::Values("de", "pl"));
