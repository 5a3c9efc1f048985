#include "core/Translator.h"

#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <utf8.h>

#include <fstream>

namespace {

// Longest line the file format allows; longer lines are refused whole.
const size_t maxLineLength = 65534;

struct LanguageRow {
    const char* code;
    const char* name;
};

// In the order the language menu shows them: alphabetical by English name.
const LanguageRow languageRows[] = {{"af", "Afrikaans"}, {"ak", "Akan"}, {"sq", "Albanian"}, {"am", "Amharic"},
    {"ar", "Arabic"}, {"hy", "Armenian"}, {"as", "Assamese"}, {"az_Cyrl", "Azerbaijani (Cyrillic)"},
    {"az_Latn", "Azerbaijani (Latin)"}, {"eu", "Basque"}, {"be", "Belarusian"}, {"bn", "Bengali"},
    {"bs_Cyrl", "Bosnian (Cyrillic)"}, {"bs_Latn", "Bosnian (Latin)"}, {"br", "Breton"}, {"bg", "Bulgarian"},
    {"my", "Burmese"}, {"ca", "Catalan"}, {"zh", "Chinese"}, {"kw", "Cornish"}, {"hr", "Croatian"}, {"cs", "Czech"},
    {"da", "Danish"}, {"nl", "Dutch"}, {"dz", "Dzongkha"}, {"eo", "Esperanto"}, {"et", "Estonian"},
    {"fo", "Faroese"}, {"fi", "Finnish"}, {"fr", "French"}, {"ff", "Fulah"}, {"gl", "Galician"},
    {"ka", "Georgian"}, {"de", "German"}, {"el", "Greek"}, {"gu", "Gujarati"}, {"ha", "Hausa"}, {"he", "Hebrew"},
    {"hi", "Hindi"}, {"hu", "Hungarian"}, {"is", "Icelandic"}, {"id", "Indonesian"}, {"ga", "Irish"},
    {"it", "Italian"}, {"ja", "Japanese"}, {"kl", "Kalaallisut"}, {"kn", "Kannada"}, {"kk", "Kazakh"},
    {"km", "Khmer"}, {"rw", "Kinyarwanda"}, {"ko", "Korean"}, {"ky", "Kyrgyz"}, {"lo", "Lao"}, {"lv", "Latvian"},
    {"ln", "Lingala"}, {"lt", "Lithuanian"}, {"lb", "Luxembourgish"}, {"mk", "Macedonian"}, {"mg", "Malagasy"},
    {"ms", "Malay"}, {"ml", "Malayalam"}, {"mt", "Maltese"}, {"mr", "Marathi"}, {"mn", "Mongolian"},
    {"ne", "Nepali"}, {"se", "Northern Sami"}, {"no", "Norwegian"}, {"or", "Oriya"}, {"ps", "Pashto"},
    {"fa", "Persian"}, {"pl", "Polish"}, {"pt", "Portuguese"}, {"pt_BR", "Portuguese (Brazil)"},
    {"pa", "Punjabi"}, {"ro", "Romanian"}, {"rm", "Romansh"}, {"ru", "Russian"}, {"gd", "Scottish Gaelic"},
    {"sr", "Serbian"}, {"si", "Sinhala"}, {"sk", "Slovak"}, {"sl", "Slovenian"}, {"so", "Somali"},
    {"es", "Spanish"}, {"sw", "Swahili"}, {"sv", "Swedish"}, {"ta", "Tamil"}, {"te", "Telugu"}, {"th", "Thai"},
    {"bo", "Tibetan"}, {"ti", "Tigrinya"}, {"tr", "Turkish"}, {"uk", "Ukrainian"}, {"ur", "Urdu"},
    {"ug", "Uyghur"}, {"uz", "Uzbek"}, {"vi", "Vietnamese"}, {"cy", "Welsh"}, {"fy", "Western Frisian"},
    {"yo", "Yoruba"}};

// The plural rules, as gettext writes them; each returns the form index for a count.
int pluralAboveOne(int n)
{
    TRACE();
    return n > 1 ? 1 : 0;
}

int pluralArabic(int n)
{
    TRACE();
    if (n == 0 || n == 1 || n == 2)
        return n;
    int m = n % 100;
    if (m >= 3 && m <= 10)
        return 3;
    return m >= 11 ? 4 : 5;
}

// Shared by the East and South Slavic rules and Polish: 2 to 4, except in the teens.
bool fewSlavic(int n)
{
    TRACE();
    return n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 10 || n % 100 >= 20);
}

bool oneButNotEleven(int n)
{
    TRACE();
    return n % 10 == 1 && n % 100 != 11;
}

int pluralSlavic(int n)
{
    TRACE();
    return oneButNotEleven(n) ? 0 : fewSlavic(n) ? 1 : 2;
}

int pluralNone(int)
{
    TRACE();
    return 0;
}

int pluralCornish(int n)
{
    TRACE();
    return n == 1 ? 0 : n == 2 ? 1 : n == 3 ? 2 : 3;
}

int pluralCzech(int n)
{
    TRACE();
    return n == 1 ? 0 : (n >= 2 && n <= 4) ? 1 : 2;
}

int pluralIcelandic(int n)
{
    TRACE();
    return (n % 10 != 1 || n % 100 == 11) ? 1 : 0;
}

int pluralIrish(int n)
{
    TRACE();
    return n == 1 ? 0 : n == 2 ? 1 : (n >= 3 && n <= 6) ? 2 : (n >= 7 && n <= 10) ? 3 : 4;
}

int pluralLatvian(int n)
{
    TRACE();
    return oneButNotEleven(n) ? 0 : n != 0 ? 1 : 2;
}

int pluralLithuanian(int n)
{
    TRACE();
    return oneButNotEleven(n) ? 0 : (n % 10 >= 2 && (n % 100 < 10 || n % 100 >= 20)) ? 1 : 2;
}

int pluralMaltese(int n)
{
    TRACE();
    int m = n % 100;
    return n == 1 ? 0 : (n == 0 || (m >= 2 && m <= 10)) ? 1 : (m >= 11 && m <= 19) ? 2 : 3;
}

int pluralPolish(int n)
{
    TRACE();
    return n == 1 ? 0 : fewSlavic(n) ? 1 : 2;
}

int pluralRomanian(int n)
{
    TRACE();
    int m = n % 100;
    return n == 1 ? 0 : (n == 0 || (m >= 1 && m <= 19)) ? 1 : 2;
}

int pluralGaelic(int n)
{
    TRACE();
    return (n == 1 || n == 11) ? 0 : (n == 2 || n == 12) ? 1 : (n >= 3 && n <= 19) ? 2 : 3;
}

int pluralSlovenian(int n)
{
    TRACE();
    int m = n % 100;
    return m == 1 ? 0 : m == 2 ? 1 : (m == 3 || m == 4) ? 2 : 3;
}

int pluralWelsh(int n)
{
    TRACE();
    return n == 1 ? 0 : n == 2 ? 1 : (n == 8 || n == 11) ? 3 : 2;
}

int pluralEnglish(int n)
{
    TRACE();
    return n != 1 ? 1 : 0;
}

struct PluralRow {
    const char* codes; // separated by single spaces
    Translator::PluralRule rule;
};

const PluralRow pluralRows[] = {{"ak am br fr ln mg fa ti tr uz", pluralAboveOne}, {"ar", pluralArabic},
    {"be bs_Cyrl bs_Latn hr mk ru sr uk", pluralSlavic},
    {"my zh dz ka id ja km ko lo ms th bo ug vi", pluralNone}, {"kw", pluralCornish}, {"cs sk", pluralCzech},
    {"is", pluralIcelandic}, {"ga", pluralIrish}, {"lv", pluralLatvian}, {"lt", pluralLithuanian},
    {"mt", pluralMaltese}, {"pl", pluralPolish}, {"ro", pluralRomanian}, {"gd", pluralGaelic},
    {"sl", pluralSlovenian}, {"cy", pluralWelsh}};

bool startsWith(const std::string& line, const char* prefix)
{
    TRACE();
    return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Translators write line breaks as the two characters backslash and n.
std::string unescapeLineBreaks(std::string text)
{
    TRACE();
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, "\n");
    return text;
}

// The entry being read: each part is kept until a later line overwrites it.
struct Entry {
    std::string english;
    std::string translated;
    std::string singular;
    Translator::Forms forms;
    bool plural = false;
};

void reportBadLine(int lineNumber)
{
    TRACE();
    LOG("TRANSLATION FILE ERROR AT LINE: #" << lineNumber);
}

void readDirective(Translator& translator, const std::string& line, int lineNumber, Entry& entry)
{
    TRACE();
    if (startsWith(line, "ENGLISH:")) {
        entry.english = unescapeLineBreaks(line.substr(8));
        entry.plural = false;
    } else if (startsWith(line, "ENGLISH ")) {
        // "ENGLISH SINGLE:" names the entry; the plural line beside it is only for the translator.
        if (line.size() < 15) {
            reportBadLine(lineNumber);
            return;
        }
        if (startsWith(line, "ENGLISH SINGLE:"))
            entry.singular = line.substr(15);
        entry.plural = true;
        entry.forms = Translator::Forms();
    } else if (startsWith(line, "TRANSLATED:")) {
        entry.translated = unescapeLineBreaks(Translator::validateTranslatedLine(line.substr(11)));
    } else if (startsWith(line, "TRANSLAT")) {
        // A plural form: "TRANSLAT" + three bytes + the form digit + one byte + the text.
        if (line.size() < 13 || line[11] < '0' || line[11] > '6') {
            reportBadLine(lineNumber);
            return;
        }
        entry.forms[size_t(line[11] - '0')] = Translator::validateTranslatedLine(line.substr(13));
    } else if (startsWith(line, "CONTEXT:")) {
        Translator::Key key(line.substr(8), entry.plural ? entry.singular : entry.english);
        if (entry.plural) {
            if (!entry.forms[0].empty())
                translator.plurals[key] = entry.forms;
        } else if (!entry.translated.empty()) {
            translator.singulars[key] = entry.translated;
        }
    }
}

} // namespace

Translator& translator()
{
    TRACE();
    static Translator instance;
    return instance;
}

Translator::~Translator()
{
    TRACE();
}

void Translator::loadTranslations(const std::string& code)
{
    TRACE();
    languageCode = code;
    LOG("Loading translations for [" << code << "]");
    singulars.clear();
    plurals.clear();
    if (code.empty())
        return;
    // The code comes from the settings file and names a file: letters, digits and "_"
    // only, so that it cannot name one outside the language folders.
    if (code.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos) {
        LOG("ERROR: Not a language code: [" << code << "]");
        return;
    }

    std::string path = prefPath() + code + ".txt";
    LOG("Looking for custom translation file: " << path << " ...");
    if (std::ifstream(path, std::ios::binary).is_open()) {
        LOG("FOUND!");
    } else {
        LOG("NOT FOUND. Using system file.");
        path = dataPath("lang/") + code + ".txt";
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        LOG("ERROR: Failed to open translation file: " << path);
        return;
    }

    Entry entry;
    std::string line;
    for (int lineNumber = 1; std::getline(file, line); lineNumber++) {
        if (line.size() > maxLineLength) {
            LOG("ERROR: Translation line too long (" << line.size() << " bytes) at line: #" << lineNumber);
            continue;
        }
        readDirective(*this, line, lineNumber, entry);
    }
    // A folder, for one, opens like a file but cannot be read.
    if (file.bad()) {
        LOG("ERROR: Failed to read translation file: " << path);
        return;
    }
    pluralRule = pluralRuleFor(languageCode);
    LOG("Translation load complete.");
}

std::string Translator::translate(const std::string& english, const std::string& context) const
{
    TRACE();
    auto found = singulars.find(Key(context, english));
    return found == singulars.end() ? english : found->second;
}

std::string Translator::translatePlural(int count, const std::string& singular, const std::string& plural,
    const std::string& context) const
{
    TRACE();
    std::string text = count == 1 ? singular : plural;
    auto found = plurals.find(Key(context, singular));
    if (pluralRule && found != plurals.end()) {
        int form = pluralRule(count);
        if (form >= 0 && form < formCount)
            text = found->second[size_t(form)];
    }
    return replaceHash(text, count);
}

std::string Translator::replaceHash(const std::string& text, int number)
{
    TRACE();
    size_t at = text.find('#');
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + std::to_string(number) + text.substr(at + 1);
}

const std::map<std::string, std::string>& Translator::languageTable()
{
    TRACE();
    if (languageNames.empty()) {
        for (const LanguageRow& row : languageRows)
            languageNames[row.code] = row.name;
    }
    return languageNames;
}

std::vector<std::string> Translator::languageCodes()
{
    TRACE();
    std::vector<std::string> codes;
    for (const LanguageRow& row : languageRows)
        codes.push_back(row.code);
    return codes;
}

bool Translator::hasTranslationFile(const std::string& code)
{
    TRACE();
    return std::ifstream(prefPath() + code + ".txt", std::ios::binary).is_open()
        || std::ifstream(dataPath("lang/") + code + ".txt", std::ios::binary).is_open();
}

const std::string& Translator::languageName(const std::string& code)
{
    TRACE();
    static const std::string unknown;
    const std::map<std::string, std::string>& table = languageTable();
    auto found = table.find(code);
    return found == table.end() ? unknown : found->second;
}

bool Translator::isCjkLanguage() const
{
    TRACE();
    return languageCode == "zh" || languageCode == "ja";
}

bool Translator::checkUtf8(const std::string& text)
{
    TRACE();
    auto invalid = utf8::find_invalid(text.begin(), text.end());
    if (invalid == text.end())
        return true;
    LOG("ERROR: Invalid UTF-8 in line: " << text);
    LOG("       This part is fine: " << std::string(text.begin(), invalid));
    return false;
}

std::string Translator::validateTranslatedLine(const std::string& text)
{
    TRACE();
    if (!checkUtf8(text))
        return text;
    std::string result = text;
    static const std::pair<const char*, const char*> folds[] = {{"\xEF\xBC\xBB", "["}, {"\xEF\xBC\xBD", "]"}};
    for (const auto& fold : folds) {
        for (size_t at = result.find(fold.first); at != std::string::npos; at = result.find(fold.first, at + 1))
            result.replace(at, 3, fold.second);
    }
    return result;
}

Translator::PluralRule Translator::pluralRuleFor(const std::string& code)
{
    TRACE();
    for (const PluralRow& row : pluralRows) {
        if ((std::string(" ") + row.codes + " ").find(" " + code + " ") != std::string::npos)
            return row.rule;
    }
    return pluralEnglish;
}
