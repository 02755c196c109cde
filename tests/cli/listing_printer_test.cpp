// Tests of the listing printer: a listing printed in pieces prints as the whole listing does,
// wherever the pieces end.

#include "cli/listing_printer.h"

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

// What the terminal gets for a whole listing: UTF-8 with each CR LF as "\n", then a "\n".
std::string TerminalText(const std::string& listing)
{
    if (listing.empty()) {
        return "";
    }
    std::string text = ToUtf8(listing);
    for (std::size_t pos = text.find("\r\n"); pos != std::string::npos;
         pos = text.find("\r\n", pos)) {
        text.erase(pos, 1);
    }
    return text + "\n";
}

// Prints listing in pieces that end at the given offsets.
std::string Printed(const std::string& listing, const std::vector<std::size_t>& ends, bool raw)
{
    std::ostringstream out;
    TListingPrinter printer(out, raw);
    std::size_t start = 0;
    for (const std::size_t end : ends) {
        printer.Print(std::string_view(listing).substr(start, end - start));
        start = end;
    }
    printer.Print(std::string_view(listing).substr(start));
    printer.Finish();
    EXPECT_EQ(printer.PrintedAny(), !listing.empty());
    return out.str();
}

TEST(ListingPrinter, PiecesPrintAsTheWholeListingWhereverTheyEnd)
{
    // Line breaks, lone CRs and LFs, every byte, Cyrillic that UTF-8 writes in two bytes and
    // signs it writes in three ("№", "€").
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte) {
        bytes.push_back(static_cast<char>(byte));
    }
    const std::string listings[] = {
        "",
        ToCp1251("кот"),
        ToCp1251("кот = 1,00000\r\nкит = 0,50000\r\nёж"),
        "\r\n\r\n",
        "a\r",
        "\r",
        "a\rb\nc\r\r\n" + ToCp1251("№€ё") + "\r\n",
        bytes + "\r\n" + bytes,
    };
    for (const std::string& listing : listings) {
        SCOPED_TRACE(ToUtf8(listing));
        const std::string whole = TerminalText(listing);
        EXPECT_EQ(Printed(listing, {}, false), whole);
        EXPECT_EQ(Printed(listing, {}, true), listing);
        // Two pieces split at every place, also with an empty piece first.
        for (std::size_t split = 0; split <= listing.size(); ++split) {
            SCOPED_TRACE(split);
            EXPECT_EQ(Printed(listing, {split}, false), whole);
            EXPECT_EQ(Printed(listing, {0, split}, true), listing);
        }
    }
}

TEST(ListingPrinter, RandomPiecesOfARandomListing)
{
    std::mt19937 random(20261211);
    const std::string alphabet = ToCp1251("абвгдеёжэюя№") + "\r\n\r\nx";
    for (int round = 0; round < 50; ++round) {
        std::string listing;
        const std::size_t size = random() % 300;
        for (std::size_t i = 0; i < size; ++i) {
            listing.push_back(alphabet[random() % alphabet.size()]);
        }
        std::vector<std::size_t> ends;
        for (std::size_t end = random() % 5; end < listing.size(); end += 1 + random() % 9) {
            ends.push_back(end);
        }
        SCOPED_TRACE(round);
        EXPECT_EQ(Printed(listing, ends, false), TerminalText(listing));
        EXPECT_EQ(Printed(listing, ends, true), listing);
    }
}

}  // namespace
