// Tests of the ё readings read from a small Hunspell dictionary written as hunspell-ru writes
// its ё words: each with an е twin.

#include "phonetics/yo_readings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

TEST(TYoReadings, RestoresYoUnlessTheYeSpellingIsAWordOfItsOwn)
{
    TTempFolder folder;
    // V adds ёт to an -ать stem and has its е copy; S makes a short form that moves the stress
    // off ё and one that keeps it, as hunspell-ru has both; M makes мел of мелок.
    const std::string aff =
        folder.Write("ru.aff",
                     "SET UTF-8\nSFX V Y 2\nSFX V ать ёт ать\nSFX V ать ет ать\nSFX S Y 2\n"
                     "SFX S ённый ено ённый\nSFX S ный о нный\nSFX M Y 1\nSFX M ок 0 ок\n");
    const std::string dic = folder.Write(
        "ru.dic", "9\nидёт\nидет\nмёл\nмел\nмелок/M\nжать/V\nрешённый/S\nрешенный/S\nвсе\n");
    const TYoReadings readings = TYoReadings::FromHunspell(aff, dic);
    const struct
    {
        const char* Word;
        const char* Phonemised;
    } cases[] = {
        {"идет", "идет>идёт"},              // the е twin of a ё entry
        {"жет", "жет>жёт"},                 // a ё rule on a stem without ё
        {"решенный", "решенный>решённый"},  // the twin's flags are the ё entry's
        {"решено", "решено"},               // the rule that drops ё moved the stress
        {"мел", "мел|мёл"},                 // made by an entry without a ё twin
        {"жать", "жать"},
        {"идёт", "идёт"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Word);
        EXPECT_EQ(ToUtf8(readings.ToPhonemise(ToCp1251(c.Word))), c.Phonemised);
    }
    EXPECT_TRUE(TYoReadings::FromHunspell(aff, folder.Path() + "/none.dic").Empty());
}

}  // namespace
