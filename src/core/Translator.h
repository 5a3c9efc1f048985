#pragma once

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Turns the game's English texts into the selected language. Translations are UTF-8
// text files "lang/<code>.txt"; a file of the same name in the per-user folder wins.
class Translator {
public:
    static constexpr int formCount = 7;
    using PluralRule = int (*)(int count);
    using Key = std::pair<std::string, std::string>; // (context, English)
    using Forms = std::array<std::string, formCount>;

    virtual ~Translator();

    std::string languageCode;         // empty until a language is loaded
    PluralRule pluralRule = nullptr;  // none until a translation file has been read
    std::map<Key, std::string> singulars;
    std::map<Key, Forms> plurals;     // forms a file did not give are empty
    std::map<std::string, std::string> languageNames; // code -> English name, built on first use

    void loadTranslations(const std::string& code);
    std::string translate(const std::string& english, const std::string& context = "") const;
    // Picks the form for the count and puts the count in place of "#".
    std::string translatePlural(int count, const std::string& singular, const std::string& plural,
        const std::string& context = "") const;
    const std::string& languageName(const std::string& code);
    const std::map<std::string, std::string>& languageTable();
    // The table's codes in the order the language menu lists them: by English name.
    static std::vector<std::string> languageCodes();
    // True when a file for the code is in the per-user folder or among the resources.
    static bool hasTranslationFile(const std::string& code);
    bool isCjkLanguage() const;

    // Replaces the first "#" by the number.
    static std::string replaceHash(const std::string& text, int number);
    // Folds full-width square brackets to ASCII; invalid UTF-8 is logged and kept.
    static std::string validateTranslatedLine(const std::string& text);
    // False for invalid UTF-8, which is logged with its longest valid beginning.
    static bool checkUtf8(const std::string& text);
    // The plural rule of a language; every code without its own rule uses the English one.
    static PluralRule pluralRuleFor(const std::string& code);
};

Translator& translator();
