#include "TestSupport.h"

#include "core/Translator.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

class TranslatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        clearLogRing();
        tr.loadTranslations("");
    }

    // A translation file in the per-user folder, which wins over the shipped one.
    void userFile(const std::string& code, const std::string& text)
    {
        writeFileBytes(prefPath() + code + ".txt", text);
    }

    Translator tr;
};

} // namespace

TEST_F(TranslatorTest, SimpleEntriesAreKeyedByContextAndEnglish)
{
    userFile("it",
        "# comment and empty lines are ignored\n\n"
        "ENGLISH:Memory\nTRANSLATED:Memoria\nCONTEXT:\n"
        "ENGLISH:Page\nTRANSLATED:Pagina\nCONTEXT:register\n"
        "ENGLISH:Two\\nlines\nTRANSLATED:Due\\nrighe\nCONTEXT:\n"
        "ENGLISH:Untranslated\nTRANSLATED:\nCONTEXT:\n"
        "ENGLISH:Memory\nTRANSLATED:Memoria RAM\nCONTEXT:\n");
    tr.loadTranslations("it");
    EXPECT_EQ(tr.languageCode, "it");
    EXPECT_EQ(tr.translate("Memory"), "Memoria RAM"); // a later entry replaces the earlier
    EXPECT_EQ(tr.translate("Memory", "achievement requirement"), "Memory");
    EXPECT_EQ(tr.translate("Page"), "Page");
    EXPECT_EQ(tr.translate("Page", "register"), "Pagina");
    EXPECT_EQ(tr.translate("Two\nlines"), "Due\nrighe");
    EXPECT_EQ(tr.singulars.count(Translator::Key("", "Untranslated")), 0u);
    EXPECT_EQ(logLinesContaining("Translation load complete."), 1);

    // Loading no language returns every text to English.
    tr.loadTranslations("");
    EXPECT_EQ(tr.translate("Memory"), "Memory");
    EXPECT_TRUE(tr.singulars.empty());
}

TEST_F(TranslatorTest, PluralEntriesChooseTheirFormByTheLanguageRule)
{
    userFile("pl",
        "ENGLISH SINGLE:# byte\nENGLISH PLURAL:# bytes\n"
        "TRANSLATED 0:# bajt\nTRANSLATED 1:# bajty\nTRANSLATED 2:# bajtów\nCONTEXT:\n"
        "ENGLISH SINGLE:# step\nENGLISH PLURAL:# steps\nTRANSLATED 1:# kroki\nCONTEXT:\n"
        "ENGLISH SINGLE:# bit\nENGLISH PLURAL:# bits\nTRANSLATED 0:# bit\nCONTEXT:\n");
    tr.loadTranslations("pl");
    for (int count : {1, 2, 5, 22, 25})
        EXPECT_EQ(tr.translatePlural(count, "# byte", "# bytes"),
            std::to_string(count) + (count == 1 ? " bajt" : count % 10 == 2 ? " bajty" : " bajtów"));
    EXPECT_EQ(tr.translatePlural(5, "# byte", "# bytes", "other"), "5 bytes");

    // Form 0 left empty: the entry is not kept, English is shown.
    EXPECT_EQ(tr.plurals.count(Translator::Key("", "# step")), 0u);
    EXPECT_EQ(tr.translatePlural(3, "# step", "# steps"), "3 steps");
    // A form the file did not give comes out empty.
    EXPECT_EQ(tr.translatePlural(3, "# bit", "# bits"), "");
    EXPECT_EQ(tr.translatePlural(1, "# bit", "# bits"), "1 bit");
}

TEST_F(TranslatorTest, BadLinesAreLoggedAndTheRestLoads)
{
    std::string huge = "TRANSLATED:" + std::string(100000, 'x');
    userFile("de",
        "ENGLISH:Exit\nTRANSLATED:Ausgang\nCONTEXT:\n"                   // lines 1-3
        "TRANSLATEX:nonsense\n"                                          // 4: unknown directive
        "ENGLISH short\n"                                                // 5: too short for a plural line
        "TRANSLAT 1\n"                                                   // 6: too short
        "TRANSLATED 3\n"                                                 // 7: form line of 12 bytes
        "TRANSLATEDx7:seven\n"                                           // 8: form digit out of range
        + huge + "\n"                                                    // 9: too long
        "ENGLISH:Broken\nTRANSLATED:ab\xC3(cd\nCONTEXT:\n"               // 10-12: invalid UTF-8, kept
        "ENGLISH:Save\nTRANSLATED:［Speichern］\nCONTEXT:");              // 13-15: no final line feed
    tr.loadTranslations("de");
    for (int line : {4, 5, 6, 7, 8})
        EXPECT_EQ(logLinesContaining("TRANSLATION FILE ERROR AT LINE: #" + std::to_string(line)), 1) << line;
    EXPECT_EQ(logLinesContaining("at line: #9"), 1);
    EXPECT_EQ(logLinesContaining("ERROR: Invalid UTF-8 in line: ab\xC3(cd"), 1);
    EXPECT_EQ(logLinesContaining("       This part is fine: ab"), 1);
    EXPECT_EQ(tr.translate("Exit"), "Ausgang");
    EXPECT_EQ(tr.translate("Broken"), "ab\xC3(cd");
    EXPECT_EQ(tr.translate("Save"), "[Speichern]");
    EXPECT_EQ(tr.singulars.size(), 3u);
}

TEST_F(TranslatorTest, UserFileWinsOverTheShippedOne)
{
    std::string shippedFolder = dataPath("lang/");
    std::filesystem::create_directories(shippedFolder);
    std::string shipped = shippedFolder + "fy.txt";
    writeFileBytes(shipped, "ENGLISH:Exit\nTRANSLATED:Utgong\nCONTEXT:\n");

    tr.loadTranslations("fy");
    EXPECT_EQ(tr.translate("Exit"), "Utgong");
    EXPECT_EQ(logLinesContaining("NOT FOUND. Using system file."), 1);

    // Earlier tests of the same run found their own files.
    int found = logLinesContaining("FOUND!");
    userFile("fy", "ENGLISH:Exit\nTRANSLATED:Utgong (eigen)\nCONTEXT:\n");
    tr.loadTranslations("fy");
    EXPECT_EQ(tr.translate("Exit"), "Utgong (eigen)");
    EXPECT_EQ(logLinesContaining("Looking for custom translation file: " + prefPath() + "fy.txt ..."), 2);
    EXPECT_EQ(logLinesContaining("FOUND!"), found + 1);
    std::filesystem::remove(shipped);

    // Without any file every text stays English, and the plural rule stays as it was.
    Translator::PluralRule frisian = tr.pluralRule;
    tr.loadTranslations("xx");
    EXPECT_EQ(logLinesContaining("ERROR: Failed to open translation file: " + dataPath("lang/") + "xx.txt"), 1);
    EXPECT_EQ(tr.translate("Exit"), "Exit");
    EXPECT_EQ(tr.pluralRule, frisian);

    // A folder in the place of the file opens like one, but is not read as an empty file.
    std::filesystem::create_directories(prefPath() + "yy.txt");
    int completed = logLinesContaining("Translation load complete.");
    tr.loadTranslations("yy");
    EXPECT_EQ(logLinesContaining("ERROR: Failed to read translation file: " + prefPath() + "yy.txt"), 1);
    EXPECT_EQ(logLinesContaining("Translation load complete."), completed);

    // A code from an edited settings file never names a file outside the language folders.
    writeFileBytes(testUserRoot() + "/elsewhere.txt", "ENGLISH:Exit\nTRANSLATED:Raus\nCONTEXT:\n");
    tr.loadTranslations("../../elsewhere");
    EXPECT_EQ(tr.translate("Exit"), "Exit");
    EXPECT_EQ(logLinesContaining("ERROR: Not a language code: [../../elsewhere]"), 1);
}

TEST(PluralRules, EachRowTellsItsCountsApart)
{
    const struct {
        const char* codes;
        std::vector<std::pair<int, int>> countToForm;
    } rows[] = {
        {"fr tr uz ak", {{0, 0}, {1, 0}, {2, 1}, {100, 1}}},
        {"ar", {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {110, 3}, {11, 4}, {199, 4}, {100, 5}, {102, 5}}},
        {"ru uk be bs_Latn bs_Cyrl hr mk sr", {{1, 0}, {21, 0}, {11, 2}, {2, 1}, {24, 1}, {12, 2}, {5, 2}, {0, 2}}},
        {"ja zh ko vi", {{0, 0}, {1, 0}, {2, 0}, {1000, 0}}},
        {"kw", {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {0, 3}}},
        {"cs sk", {{1, 0}, {2, 1}, {4, 1}, {5, 2}, {0, 2}, {22, 2}}},
        {"is", {{1, 0}, {21, 0}, {11, 1}, {2, 1}, {0, 1}}},
        {"ga", {{1, 0}, {2, 1}, {3, 2}, {6, 2}, {7, 3}, {10, 3}, {11, 4}, {0, 4}}},
        {"lv", {{1, 0}, {21, 0}, {11, 1}, {2, 1}, {0, 2}}},
        {"lt", {{1, 0}, {21, 0}, {2, 1}, {29, 1}, {11, 2}, {12, 2}, {10, 2}, {0, 2}}},
        {"mt", {{1, 0}, {0, 1}, {2, 1}, {110, 1}, {11, 2}, {119, 2}, {20, 3}, {101, 3}}},
        {"pl", {{1, 0}, {2, 1}, {22, 1}, {5, 2}, {12, 2}, {25, 2}, {21, 2}}},
        {"ro", {{1, 0}, {0, 1}, {19, 1}, {101, 1}, {20, 2}, {100, 2}}},
        {"gd", {{1, 0}, {11, 0}, {2, 1}, {12, 1}, {3, 2}, {19, 2}, {20, 3}, {0, 3}}},
        {"sl", {{1, 0}, {101, 0}, {2, 1}, {102, 1}, {3, 2}, {104, 2}, {5, 3}, {0, 3}}},
        {"cy", {{1, 0}, {2, 1}, {8, 3}, {11, 3}, {3, 2}, {0, 2}}},
        {"de en it pt_BR xx", {{1, 0}, {0, 1}, {2, 1}, {-1, 1}}},
    };
    for (const auto& row : rows) {
        std::istringstream codes(row.codes);
        for (std::string code; codes >> code;)
            for (const auto& [count, form] : row.countToForm)
                EXPECT_EQ(Translator::pluralRuleFor(code)(count), form) << code << " " << count;
    }
}

TEST(Translator, PlaceholdersBracketsAndLanguageNames)
{
    // Only the first "#" takes the number.
    EXPECT_EQ(Translator::replaceHash("# of # bits", 7), "7 of # bits");
    EXPECT_EQ(Translator::replaceHash("Step #", -12), "Step -12");
    EXPECT_EQ(Translator::replaceHash("no placeholder", 3), "no placeholder");
    EXPECT_EQ(Translator::replaceHash("", 3), "");

    EXPECT_EQ(Translator::validateTranslatedLine("［A］ and ［B］"), "[A] and [B]");
    EXPECT_EQ(Translator::validateTranslatedLine("［［A］］"), "[[A]]");
    EXPECT_EQ(Translator::validateTranslatedLine("［\xE2\x82"), "［\xE2\x82");
    EXPECT_EQ(logLinesContaining("       This part is fine: ［"), 1);

    Translator tr;
    EXPECT_EQ(tr.languageName("pt_BR"), "Portuguese (Brazil)");
    EXPECT_EQ(tr.languageName("en"), "");
    tr.languageCode = "ja";
    EXPECT_TRUE(tr.isCjkLanguage());
    tr.languageCode = "ko";
    EXPECT_FALSE(tr.isCjkLanguage());
}
