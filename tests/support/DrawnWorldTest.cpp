#include "support/DrawnWorldTest.h"

#include <allegro.h>

#include <cerrno>

void ensureHeadlessAllegro()
{
    static bool started = false;
    if (started) return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(kColourDepth);
    started = true;
}

void DrawnWorldTest::SetUp()
{
    WorldTest::SetUp();
    ensureHeadlessAllegro();
    canvas_.emplace();
}

void DrawnWorldTest::TearDown()
{
    WorldTest::TearDown();
    canvas_.reset();
}

int DrawnWorldTest::pixel(int x, int y) const
{
    return getpixel(canvas_->bitmap(), x, y);
}

int DrawnWorldTest::colourValue(int r, int g, int b)
{
    return makecol16(r, g, b);
}
