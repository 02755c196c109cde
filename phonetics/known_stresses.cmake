# Turns the list of known stresses (INPUT, UTF-8 tsv) into a C++ table (OUTPUT), checking every
# line: the word, then one or two spellings of it, each with one "'" right after a vowel.
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(vowels "(а|е|ё|и|о|у|ы|э|ю|я)")
set(rows "")
set(seen "")
set(number 0)
foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    endif()
    string(REPLACE "\t" ";" fields "${line}")
    list(LENGTH fields count)
    if(count LESS 2 OR count GREATER 3)
        message(FATAL_ERROR "${INPUT}:${number}: a word and one or two stressed spellings: ${line}")
    endif()
    list(GET fields 0 word)
    if(NOT word MATCHES "^(а|б|в|г|д|е|ё|ж|з|и|й|к|л|м|н|о|п|р|с|т|у|ф|х|ц|ч|ш|щ|ъ|ы|ь|э|ю|я|-)+$")
        message(FATAL_ERROR "${INPUT}:${number}: not a lowercase Russian word: ${word}")
    endif()
    if(word IN_LIST seen)
        message(FATAL_ERROR "${INPUT}:${number}: ${word} is listed twice")
    endif()
    list(APPEND seen "${word}")
    list(SUBLIST fields 1 -1 spellings)
    set(row "{\"${word}\"")
    foreach(spelling IN LISTS spellings)
        string(REGEX MATCHALL "'" marks "${spelling}")
        list(LENGTH marks markCount)
        string(REPLACE "'" "" bare "${spelling}")
        if(NOT markCount EQUAL 1 OR NOT spelling MATCHES "${vowels}'" OR NOT bare STREQUAL word)
            message(FATAL_ERROR
                    "${INPUT}:${number}: ${spelling} is not ${word} with one ' after a vowel")
        endif()
        string(APPEND row ", \"${spelling}\"")
    endforeach()
    if(count EQUAL 3)
        list(GET spellings 0 first)
        list(GET spellings 1 second)
        if(first STREQUAL second)
            message(FATAL_ERROR "${INPUT}:${number}: the two stresses of ${word} are one")
        endif()
    else()
        string(APPEND row ", \"\"")
    endif()
    string(APPEND rows "    ${row}},\n")
endforeach()
file(WRITE "${OUTPUT}"
"// Generated from phonetics/data/stresses.tsv by phonetics/known_stresses.cmake.

#include \"phonetics/known_stresses_table.h\"

namespace {

constexpr TKnownStressLine kLines[] = {
${rows}};

}  // namespace

const std::span<const TKnownStressLine> kKnownStressLines(kLines);
")
