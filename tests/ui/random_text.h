#pragma once
// Generated texts for the window's tests that check one route against another.

#include <random>
#include <span>
#include <string>

// Returns from minPieces to maxPieces - 1 pieces, each drawn at random from pieces, joined.
inline std::string RandomText(std::mt19937& random, std::span<const std::string> pieces,
                              int maxPieces, int minPieces = 0)
{
    std::string text;
    const int count =
        minPieces + static_cast<int>(random() % static_cast<unsigned>(maxPieces - minPieces));
    for (int i = 0; i < count; ++i) {
        text += pieces[random() % pieces.size()];
    }
    return text;
}
