#pragma once

#include <cstdint>

// The graphics library's own pixels for the shapes and glyphs the game draws, read from its
// drawing at build time by the tables program (src/tables) and compiled in, so that a picture
// drawn without the library has exactly the library's pixels.

// One row of a filled shape: columns from..to (both included) of the given row, counted from
// the top left corner of the shape's box.
struct ShapeRow {
    std::int8_t row;
    std::int8_t from;
    std::int8_t to;
};

// The rows of a shape, in order from the top.
struct ShapeRows {
    const ShapeRow* rows;
    int count;
};

// Sizes kept: 1 to this. Soldiers are 1 to 5 and a base's roof is 5.
constexpr int kLargestDrawnShape = 32;

// The soldier's triangle of size s, in its box of 2s + 1 square from (px - s, py - s); no rows
// for a size out of range.
ShapeRows soldierTriangleRows(int s);

// The roof of size s, in its box of 2s + 1 wide and s + 1 high from (px - s, py - s); no rows
// for a size out of range.
ShapeRows roofRows(int s);

// The glyphs of the 8 x 8 font for the characters from kFirstGlyph to kLastGlyph: eight rows
// from the top, the left column in the highest bit. Null for other characters.
constexpr int kFirstGlyph = 32;
constexpr int kLastGlyph = 126;
const std::uint8_t* fontGlyph(unsigned char character);
