#pragma once
// Character tables of Windows-1251 for PCRE2: case folding and the character classes of the code
// page, built from the code page itself rather than from an installed locale.

// The tables in the 1088-byte layout of pcre2_maketables, for pcre2_set_character_tables. Cyrillic
// letters are letters and fold case; ASCII is classified as in the "C" locale; the other defined
// bytes of the upper half are punctuation. The tables live as long as the program.
const unsigned char* Cp1251CharacterTables();
