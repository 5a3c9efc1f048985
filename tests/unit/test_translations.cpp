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
// translator. The list of those texts is read from the game's own sources, so it
// cannot fall behind the code:
// - every call of `translate` and `translatePlural` is found, and so is every call of a
//   function that hands one of its parameters on to them as the text (the menu's `tr`,
//   the game screen's `drawLabel`, found the same way, so a new helper is found too);
// - a call's text and context are read from its arguments: a string literal, a choice
//   between literals, or a table or named text the sources define with literals;
//   a context chosen per row of a table (PAUSE as an order on the controller pages)
//   is paired row by row with the table of texts;
// - the achievement texts come from the achievement list itself.
// A call whose text cannot be read this way fails the test, so new kinds of call are
// taught here instead of being skipped.

namespace {

struct Token {
    enum Kind { word, text, mark } kind;
    std::string value; // a text's value has its escapes decoded
    int line;
};

using Tokens = std::vector<Token>;

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// C++ source as words, string literals (neighbouring literals joined, as the compiler
// joins them) and marks; comments and preprocessor lines are dropped, and a character
// literal is only a mark.
Tokens tokenize(const std::string& source)
{
    Tokens tokens;
    int line = 1;
    size_t i = 0;
    bool lineStart = true;
    while (i < source.size()) {
        char c = source[i];
        if (c == '\n') {
            line++;
            lineStart = true;
            i++;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            i++;
        } else if (lineStart && c == '#') {
            while (i < source.size() && source[i] != '\n')
                i++;
        } else if (source.compare(i, 2, "//") == 0) {
            while (i < source.size() && source[i] != '\n')
                i++;
        } else if (source.compare(i, 2, "/*") == 0) {
            size_t end = source.find("*/", i + 2);
            end = end == std::string::npos ? source.size() : end + 2;
            for (; i < end; i++)
                line += source[i] == '\n';
        } else if (c == '"' || c == '\'') {
            std::string value;
            for (i++; i < source.size() && source[i] != c; i++) {
                if (source[i] != '\\') {
                    value += source[i];
                    continue;
                }
                char escaped = source[++i];
                if (escaped == 'x') {
                    size_t digits = 0;
                    int code = std::stoi(source.substr(i + 1, 2), &digits, 16);
                    value += char(code);
                    i += digits;
                } else {
                    value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
                }
            }
            i++;
            if (c == '\'')
                tokens.push_back({Token::mark, "'", line});
            else if (!tokens.empty() && tokens.back().kind == Token::text)
                tokens.back().value += value;
            else
                tokens.push_back({Token::text, value, line});
        } else if (isWordChar(c)) {
            size_t start = i;
            while (i < source.size() && isWordChar(source[i]))
                i++;
            tokens.push_back({Token::word, source.substr(start, i - start), line});
        } else {
            bool pair = source.compare(i, 2, "::") == 0 || source.compare(i, 2, "->") == 0
                || source.compare(i, 2, "==") == 0;
            tokens.push_back({Token::mark, source.substr(i, pair ? 2 : 1), line});
            i += pair ? 2 : 1;
        }
        if (c != '\n' && !std::isspace(static_cast<unsigned char>(c)))
            lineStart = false;
    }
    return tokens;
}

bool isMark(const Tokens& tokens, size_t i, const char* mark)
{
    return i < tokens.size() && tokens[i].kind == Token::mark && tokens[i].value == mark;
}

// Index of the bracket closing the one at `open`, or the end.
size_t closing(const Tokens& tokens, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < tokens.size(); i++) {
        if (tokens[i].kind != Token::mark)
            continue;
        const std::string& m = tokens[i].value;
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
        if (isMark(tokens, i, "(") || isMark(tokens, i, "[") || isMark(tokens, i, "{")) {
            size_t end = closing(tokens, i);
            arguments.back().insert(arguments.back().end(), tokens.begin() + long(i), tokens.begin() + long(end) + 1);
            i = end;
        } else if (isMark(tokens, i, ",")) {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(tokens[i]);
        }
    }
    if (arguments.size() == 1 && arguments[0].empty())
        arguments.clear();
    return arguments;
}

const std::set<std::string> keywords{"if", "for", "while", "switch", "catch", "return", "sizeof", "else", "do"};

// A function definition in a source: its name, parameter names, and where its code
// runs: the member initialisers of a constructor, then the body.
struct Function {
    std::string name;
    std::vector<std::string> parameters;
    size_t codeStart, codeEnd;
    std::set<size_t> members; // the initialised members' names, which are no calls
};

// The definition starting with the name at `i`, when there is one.
bool readDefinition(const Tokens& tokens, size_t i, Function& function)
{
    if (tokens[i].kind != Token::word || keywords.count(tokens[i].value) || !isMark(tokens, i + 1, "(") || i == 0)
        return false;
    const Token& before = tokens[i - 1];
    bool typeBefore = (before.kind == Token::word && before.value != "return") || isMark(tokens, i - 1, "::")
        || isMark(tokens, i - 1, "*") || isMark(tokens, i - 1, "&") || isMark(tokens, i - 1, ">");
    if (!typeBefore)
        return false;
    size_t close = closing(tokens, i + 1);
    size_t next = close + 1;
    while (next < tokens.size() && tokens[next].kind == Token::word
        && (tokens[next].value == "const" || tokens[next].value == "override" || tokens[next].value == "noexcept"))
        next++;
    function.codeStart = next;
    function.members.clear();
    if (isMark(tokens, next, ":")) { // a constructor's member initialisers
        next++;
        while (next < tokens.size() && tokens[next].kind == Token::word) {
            function.members.insert(next);
            next = closing(tokens, next + 1) + 1;
            if (isMark(tokens, next, ","))
                next++;
        }
    }
    if (!isMark(tokens, next, "{"))
        return false;
    function.name = tokens[i].value;
    function.parameters.clear();
    for (const Tokens& parameter : splitArguments(tokens, i + 1, close)) {
        std::string name;
        for (size_t t = 0; t < parameter.size() && !isMark(parameter, t, "="); t++)
            if (parameter[t].kind == Token::word)
                name = parameter[t].value;
        function.parameters.push_back(name);
    }
    function.codeEnd = closing(tokens, next);
    return true;
}

// Which arguments of a translating function carry the English text, the English
// plural and the context (-1: none); a function may give the context itself.
struct Translating {
    int english = -1, plural = -1, context = -1;
    std::string ownContext;
};

struct Source {
    std::string name;
    Tokens tokens;
    std::vector<Function> functions;
};

// The values an argument can take: a list for the whole call, or one value per row of
// the table it is read from.
struct Values {
    bool readable = true;
    bool byRow = false;
    std::vector<std::string> list;
};

// A translated text the game asks for.
struct Wanted {
    std::string context, english, plural;
    std::string where; // the first place asking for it

    bool operator<(const Wanted& other) const
    {
        return std::tie(context, english) < std::tie(other.context, other.english);
    }
};

class TextScan {
public:
    std::set<Wanted> wanted;
    std::vector<std::string> unreadable;

    void addSource(const std::string& name, const std::string& text)
    {
        Source source{name, tokenize(text), {}};
        Function function;
        for (size_t i = 0; i < source.tokens.size(); i++)
            if (readDefinition(source.tokens, i, function))
                source.functions.push_back(function);
        readTables(source);
        sources.push_back(std::move(source));
    }

    void scan(const std::vector<Achievement>& achievements)
    {
        this->achievements = &achievements;
        translating = {{"translate", {0, -1, 1, ""}}, {"translatePlural", {1, 2, 3, ""}}};
        // A function found handing on its text is scanned for again, with its own callers.
        size_t known = 0;
        while (known != translating.size()) {
            known = translating.size();
            wanted.clear();
            unreadable.clear();
            for (const Source& source : sources)
                scanCalls(source);
        }
    }

private:
    std::vector<Source> sources;
    std::map<std::string, Translating> translating;
    std::map<std::string, std::vector<std::pair<std::string, std::vector<std::string>>>> tables; // name -> (file, values)
    const std::vector<Achievement>* achievements = nullptr;

    // `name[...] = {"a", "b"}` and `name = "a"` with literals only.
    void readTables(const Source& source)
    {
        const Tokens& tokens = source.tokens;
        for (size_t i = 0; i + 2 < tokens.size(); i++) {
            if (tokens[i].kind != Token::word)
                continue;
            size_t equals = isMark(tokens, i + 1, "[") ? closing(tokens, i + 1) + 1 : i + 1;
            if (!isMark(tokens, equals, "="))
                continue;
            std::vector<std::string> values;
            if (equals + 1 < tokens.size() && tokens[equals + 1].kind == Token::text && isMark(tokens, equals + 2, ";")) {
                values.push_back(tokens[equals + 1].value);
            } else if (isMark(tokens, equals + 1, "{")) {
                size_t end = closing(tokens, equals + 1);
                for (const Tokens& item : splitArguments(tokens, equals + 1, end)) {
                    if (item.size() != 1 || item[0].kind != Token::text) {
                        values.clear();
                        break;
                    }
                    values.push_back(item[0].value);
                }
            }
            if (!values.empty())
                tables[tokens[i].value].emplace_back(source.name, values);
        }
    }

    // The table of that name, preferring one defined in the same file.
    const std::vector<std::string>* table(const std::string& name, const std::string& file) const
    {
        auto found = tables.find(name);
        if (found == tables.end())
            return nullptr;
        for (const auto& definition : found->second)
            if (definition.first == file)
                return &definition.second;
        return found->second.size() == 1 ? &found->second[0].second : nullptr;
    }

    Values read(const Tokens& argument, const std::string& file) const
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
            Values a = read(Tokens(argument.begin() + long(q) + 1, argument.begin() + long(colon)), file);
            Values b = read(Tokens(argument.begin() + long(colon) + 1, argument.end()), file);
            if (!a.readable || !b.readable || a.byRow || b.byRow) {
                values.readable = false;
                return values;
            }
            // table[row] == "x" ? a : b, taken row by row
            const std::vector<std::string>* rows = condition.size() > 3 && isMark(condition, 1, "[")
                ? table(condition[0].value, file) : nullptr;
            size_t compared = rows ? closing(condition, 1) + 1 : 0;
            if (rows && isMark(condition, compared, "==") && a.list.size() == 1 && b.list.size() == 1) {
                for (size_t t = compared; t < condition.size(); t++) {
                    if (condition[t].kind != Token::text)
                        continue;
                    values.byRow = true;
                    for (const std::string& row : *rows)
                        values.list.push_back(row == condition[t].value ? a.list[0] : b.list[0]);
                    return values;
                }
            }
            values.list = a.list;
            values.list.insert(values.list.end(), b.list.begin(), b.list.end());
            return values;
        }
        if (argument.size() == 1 && argument[0].kind == Token::text) {
            values.list.push_back(argument[0].value);
            return values;
        }
        bool indexed = argument.size() > 1 && isMark(argument, 1, "[") && closing(argument, 1) == argument.size() - 1;
        if (!argument.empty() && argument[0].kind == Token::word && (argument.size() == 1 || indexed)) {
            if (const std::vector<std::string>* rows = table(argument[0].value, file)) {
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

    const Function* enclosing(const Source& source, size_t i) const
    {
        for (const Function& function : source.functions)
            if (function.codeStart < i && i < function.codeEnd && !function.members.count(i))
                return &function;
        return nullptr;
    }

    // When the text argument is a parameter of the function around the call, that
    // function translates too; returns true when it was learnt just now or before.
    bool handsOn(const Function* function, const std::vector<Tokens>& arguments, const Translating& roles)
    {
        if (!function || roles.english < 0 || size_t(roles.english) >= arguments.size())
            return false;
        auto parameter = [&](int role) {
            if (role < 0 || size_t(role) >= arguments.size() || arguments[size_t(role)].size() != 1)
                return -1;
            const auto& names = function->parameters;
            auto found = std::find(names.begin(), names.end(), arguments[size_t(role)][0].value);
            return found == names.end() ? -1 : int(found - names.begin());
        };
        Translating learnt{parameter(roles.english), parameter(roles.plural), parameter(roles.context), ""};
        if (learnt.english < 0)
            return false;
        if (learnt.context < 0 && roles.context >= 0 && size_t(roles.context) < arguments.size()) {
            Values own = read(arguments[size_t(roles.context)], "");
            if (own.list.size() == 1)
                learnt.ownContext = own.list[0];
        }
        if (!translating.count(function->name))
            translating[function->name] = learnt;
        return true;
    }

    void scanCalls(const Source& source)
    {
        const Tokens& tokens = source.tokens;
        for (size_t i = 1; i + 1 < tokens.size(); i++) {
            auto role = translating.find(tokens[i].value);
            if (tokens[i].kind != Token::word || role == translating.end() || !isMark(tokens, i + 1, "("))
                continue;
            const Function* function = enclosing(source, i);
            if (!function) // a declaration, a definition or an initialised member: no call
                continue;
            Translating roles = role->second;
            std::vector<Tokens> arguments = splitArguments(tokens, i + 1, closing(tokens, i + 1));
            if (handsOn(function, arguments, roles))
                continue;
            std::string where = source.name + ":" + std::to_string(tokens[i].line);
            auto argument = [&](int index, const std::string& otherwise) {
                Values none;
                none.list.push_back(otherwise);
                return index < 0 || size_t(index) >= arguments.size() ? none : read(arguments[size_t(index)], source.name);
            };
            Values english = argument(roles.english, ""), plural = argument(roles.plural, "");
            Values context = argument(roles.context, roles.ownContext);
            if (!english.readable || !plural.readable || !context.readable || english.list.empty()) {
                unreadable.push_back(where + " " + tokens[i].value);
                continue;
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

std::set<int> reachableForms(const Translator& words)
{
    std::set<int> forms;
    for (int count = 0; count <= 1000; count++)
        forms.insert(words.pluralRule(count));
    return forms;
}

int characters(const std::string& text)
{
    return int(utf8::distance(text.begin(), text.end()));
}

} // namespace

TEST(TranslationScan, ReadsEveryKindOfCallAndRefusesWhatItCannotRead)
{
    TextScan scan;
    scan.addSource("Sample.cpp", R"(
        #include "core/Translator.h"
        const char* const names[] = {"ONE", "TWO", ""};
        const char* const kinds[] = {"a", "b", "c"};
        std::string say(const std::string& english, const std::string& context = "")
        {
            return translator().translate(english, context); // handing on: not a text of its own
        }
        Screen::Screen() : say(0), title(say("Welcome")) { }
        void Screen::draw(bool on)
        {
            const char* hint = "Press "
                               "on";
            say(on ? "yes" : "no");
            say("Quit", "leave the game");
            translator().translate(hint);
            for (int row = 0; row < 3; row++)
                say(names[row], kinds[row] == std::string("b") ? "order" : "");
            translator().translatePlural(n, "# bit", "# bits", /* a comment */ "counter");
            words.translate(achievement.sourceRequirement, "requirement");
            translator().translate(makeText());
            named("Bit");
        }
        std::string named(const std::string& english) { return translator().translate(english, "name"); }
    )");
    Achievement achievement;
    achievement.sourceRequirement = "flip a bit";
    std::vector<Achievement> achievements{achievement};
    scan.scan(achievements);

    std::vector<std::string> found;
    for (const Wanted& text : scan.wanted)
        found.push_back(text.context + "|" + text.english + (text.plural.empty() ? "" : "|" + text.plural));
    EXPECT_EQ(found, (std::vector<std::string>{"|ONE", "|Press on", "|Welcome", "|no", "|yes", "counter|# bit|# bits",
                         "leave the game|Quit", "name|Bit", "order|TWO", "requirement|flip a bit"}));
    EXPECT_EQ(scan.unreadable, (std::vector<std::string>{"Sample.cpp:21 translate"}));
}

class ShippedTranslations : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        achievements = std::make_unique<AchievementManager>();
        scan = std::make_unique<TextScan>(scanTheGame(achievements->achievements));
    }
    static void TearDownTestSuite()
    {
        scan.reset();
        achievements.reset();
    }

    static std::unique_ptr<AchievementManager> achievements;
    static std::unique_ptr<TextScan> scan;
};

std::unique_ptr<AchievementManager> ShippedTranslations::achievements;
std::unique_ptr<TextScan> ShippedTranslations::scan;

TEST_P(ShippedTranslations, CoverEveryTextTheGameTranslates)
{
    EXPECT_EQ(scan->unreadable, std::vector<std::string>())
        << "calls whose text the scan cannot read: give them a literal or a table, or teach this test";
    ASSERT_GT(scan->wanted.size(), 50u) << "the scan found too little; is the source folder right?";

    Translator words;
    int errorsBefore = logLinesContaining("ERROR");
    words.loadTranslations(GetParam());
    EXPECT_EQ(logLinesContaining("ERROR"), errorsBefore) << "the file loads without complaint";
    ASSERT_NE(words.pluralRule, nullptr);
    std::set<int> forms = reachableForms(words);

    std::set<Translator::Key> asked;
    for (const Wanted& text : scan->wanted) {
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
        widths.insert(characters(entry.second));
        EXPECT_EQ(entry.second.back(), ':') << entry.second;
    }
    EXPECT_EQ(widths.size(), 1u) << "binding labels of different widths";
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedTranslations, testing::Values("de", "pl"));
