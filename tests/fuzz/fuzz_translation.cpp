// A translation file of any bytes in the per-user folder (the first input byte picks
// its language, so that every kind of plural rule is used): it loads, and every text
// it gives passes through the translator and the text layout as the screens use them.

#include "FuzzSupport.h"

#include "core/CachedText.h"
#include "core/Translator.h"

#include <climits>

void prepareTarget()
{
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char* const languages[] = {"pl", "ar", "zh", "cy", "de", "ga"};
    std::string code = languages[data[0] % (sizeof languages / sizeof languages[0])];
    writeInput(code + ".txt", data + 1, size - 1);
    Translator words;
    words.loadTranslations(code);
    bool changed;
    for (const auto& entry : words.singulars) {
        words.translate(entry.first.second, entry.first.first);
        CachedText::insertBreakOpportunities(entry.second, changed);
    }
    const int counts[] = {0, 1, 2, 5, 11, 22, 101, -1, INT_MAX, INT_MIN};
    for (const auto& entry : words.plurals) {
        for (int count : counts)
            CachedText::insertBreakOpportunities(
                words.translatePlural(count, entry.first.second, "plural", entry.first.first), changed);
    }
    return 0;
}
