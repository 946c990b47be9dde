// battle-tables: writes the C++ source of the drawn shapes and glyphs (gfx/DrawnShapes.h) from
// the graphics library's own drawing, run by the build before the game is compiled. Each shape
// and each glyph is drawn by the library on a small memory bitmap with no display, and the
// pixels it set are written out as rows.
//
//   battle-tables OUTPUT.cpp

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "gfx/DrawnShapes.h"

namespace {

// The set pixels of the bitmap, row by row, as ShapeRow initialisers; returns how many.
int writeRows(std::ostream& out, BITMAP* shape)
{
    int count = 0;
    for (int row = 0; row < shape->h; ++row) {
        int column = 0;
        while (column < shape->w) {
            if (getpixel(shape, column, row) == 0) {
                ++column;
                continue;
            }
            const int from = column;
            while (column < shape->w && getpixel(shape, column, row) != 0) ++column;
            out << "{" << row << ", " << from << ", " << column - 1 << "}, ";
            ++count;
        }
    }
    return count;
}

// The rows of one shape for every size s, drawn by draw(bitmap, s) in a box 2s + 1 wide and
// height(s) high, then the tables of the sizes.
template <class Height, class Draw>
void writeShape(std::ostream& out, const std::string& name, Height height, Draw draw)
{
    std::ostringstream counts;
    for (int s = 1; s <= kLargestDrawnShape; ++s) {
        BITMAP* shape = create_bitmap_ex(8, 2 * s + 1, height(s));
        clear_to_color(shape, 0);
        draw(shape, s);
        out << "const ShapeRow " << name << s << "[] = {";
        counts << writeRows(out, shape) << ", ";
        out << "};\n";
        destroy_bitmap(shape);
    }
    out << "const ShapeRow* const " << name << "[] = {nullptr";
    for (int s = 1; s <= kLargestDrawnShape; ++s) out << ", " << name << s;
    out << "};\nconst int " << name << "Counts[] = {0, " << counts.str() << "};\n\n";
}

void writeGlyphs(std::ostream& out)
{
    BITMAP* cell = create_bitmap_ex(8, 8, 8);
    out << "const std::uint8_t glyphs[][8] = {\n";
    for (int c = kFirstGlyph; c <= kLastGlyph; ++c) {
        const char text[2] = {static_cast<char>(c), '\0'};
        clear_to_color(cell, 0);
        textout_ex(cell, font, text, 0, 0, 1, 0);
        out << "    {";
        for (int row = 0; row < 8; ++row) {
            int bits = 0;
            for (int column = 0; column < 8; ++column) {
                if (getpixel(cell, column, row) != 0) bits |= 0x80 >> column;
            }
            out << bits << (row < 7 ? ", " : "},");
        }
        out << "  // '" << (c == '\\' ? std::string("backslash") : std::string(1, static_cast<char>(c))) << "'\n";
    }
    out << "};\n\n";
    destroy_bitmap(cell);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: battle-tables OUTPUT.cpp\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "battle-tables: cannot start the graphics library\n");
        return 1;
    }
    std::ostringstream out;
    out << "// Written by battle-tables from the graphics library's own drawing; not to be edited.\n\n"
        << "#include \"gfx/DrawnShapes.h\"\n\nnamespace {\n\n";
    // The soldier's triangle in its box of 2s + 1 square, the apex in the middle of the top row.
    writeShape(
        out, "soldier", [](int s) { return 2 * s + 1; },
        [](BITMAP* shape, int s) { triangle(shape, 0, 2 * s, s, 0, 2 * s, 2 * s, 1); });
    // The roof in its box of 2s + 1 wide and s + 1 high, its base the bottom row.
    writeShape(
        out, "roof", [](int s) { return s + 1; },
        [](BITMAP* shape, int s) { triangle(shape, 0, s, s, 0, 2 * s, s, 1); });
    writeGlyphs(out);
    out << "}  // namespace\n\n"
        << "ShapeRows soldierTriangleRows(int s)\n{\n"
        << "    if (s < 1 || s > kLargestDrawnShape) return {nullptr, 0};\n"
        << "    return {soldier[s], soldierCounts[s]};\n}\n\n"
        << "ShapeRows roofRows(int s)\n{\n"
        << "    if (s < 1 || s > kLargestDrawnShape) return {nullptr, 0};\n"
        << "    return {roof[s], roofCounts[s]};\n}\n\n"
        << "const std::uint8_t* fontGlyph(unsigned char character)\n{\n"
        << "    if (character < kFirstGlyph || character > kLastGlyph) return nullptr;\n"
        << "    return glyphs[character - kFirstGlyph];\n}\n";

    // Written under another name and renamed, so that an interrupted build leaves no half file.
    const std::string path = argv[1];
    const std::string part = path + ".part";
    {
        std::ofstream file(part, std::ios::trunc);
        file << out.str();
        if (!file.flush()) {
            std::fprintf(stderr, "battle-tables: cannot write %s\n", part.c_str());
            return 1;
        }
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "battle-tables: cannot rename %s to %s\n", part.c_str(), path.c_str());
        return 1;
    }
    return 0;
}
