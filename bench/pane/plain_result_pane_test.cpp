// The plain-text editor pane: a long listing whole, and every Windows-1251 character and line
// break through the editor and back.

#include "bench/pane/plain_result_pane.h"

#include <string>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

TEST(ResultPane, ALongListingIsShownWhole)
{
    TPlainResultPane pane;
    std::string listing;
    for (int line = 0; line < 100000; ++line) {
        listing += ToCp1251("слово") + std::to_string(line) + "\r\n";
    }
    listing += ToCp1251("последнее");
    pane.SetText(listing);
    EXPECT_EQ(pane.blockCount(), 100001);
    EXPECT_EQ(pane.Text(), listing);
}

TEST(ResultPane, KeepsEveryWindows1251CharacterThroughTheEditor)
{
    std::string all;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte != 0x98) {
            all.push_back(static_cast<char>(byte));
        }
    }
    TPlainResultPane pane;
    pane.SetText(all + "\r\n" + all);
    EXPECT_EQ(pane.Text(), all + "\r\n" + all);
    pane.SetText("a\rb\nc");  // a lone CR or LF is a line break too
    EXPECT_EQ(pane.Text(), "a\r\nb\r\nc");
}
