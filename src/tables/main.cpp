// battle-tables: writes the C++ source of the font's glyphs (gfx/FontGlyphs.h) from the graphics
// library's own drawing, run by the build before the game is compiled. Each glyph is drawn by
// the library on a small memory bitmap with no display, and the pixels it set are written out
// as rows of bits.
//
//   battle-tables OUTPUT.cpp

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "gfx/FontGlyphs.h"

namespace {

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
        << "#include \"gfx/FontGlyphs.h\"\n\nnamespace {\n\n";
    writeGlyphs(out);
    out << "}  // namespace\n\n"
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
