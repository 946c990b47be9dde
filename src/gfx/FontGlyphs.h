#pragma once

#include <cstdint>

// The graphics library's own 8 x 8 font, read from its drawing at build time by the tables
// program (src/tables) and compiled in, so that text drawn without the library has exactly the
// library's pixels.

// The glyphs for the characters from kFirstGlyph to kLastGlyph: eight rows from the top, the
// left column in the highest bit. Null for other characters.
constexpr int kFirstGlyph = 32;
constexpr int kLastGlyph = 126;
const std::uint8_t* fontGlyph(unsigned char character);
