// battle-icon: draws the program's icon at the sizes asked for and writes each as
// DIR/<size>x<size>/battle.png, the layout of an icon theme. Run by the build; not installed.
//
// Usage: battle-icon DIR SIZE...

#include <allegro.h>
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/IconPicture.h"
#include "gfx/Canvas.h"

namespace {

// Writes an 8-bit RGB PNG. Only plain values live in this function's frame, since libpng
// reports errors by a long jump back into it.
bool writePng(const char* path, int size, const unsigned char* rgb)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; ++y) png_write_row(png, rgb + static_cast<std::size_t>(y) * size * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool makeFolder(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: battle-icon DIR SIZE...\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) {
        std::fprintf(stderr, "battle-icon: the graphics library did not start\n");
        return 1;
    }
    set_color_depth(kColourDepth);

    const std::string dir = argv[1];
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        try {
            const IconPicture icon(size);
            const std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size);
            const std::string path = folder + "/battle.png";
            // Written aside and renamed, so that a failed run never leaves a half picture
            // that the build would take for a finished one.
            const std::string partial = path + ".part";
            if (!makeFolder(dir) || !makeFolder(folder) || !writePng(partial.c_str(), size, icon.rgb().data()) ||
                std::rename(partial.c_str(), path.c_str()) != 0) {
                std::remove(partial.c_str());
                std::fprintf(stderr, "battle-icon: cannot write %s\n", path.c_str());
                return 1;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "battle-icon: %s\n", e.what());
            return 1;
        }
    }
    return 0;
}
