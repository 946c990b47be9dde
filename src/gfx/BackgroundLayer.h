#pragma once

#include <functional>
#include <memory>

class Canvas;
class Surface;

// A picture that starts every frame and rarely changes (the terrain), kept ready to copy:
// it is painted again only when its key changes, and otherwise costs one copy per frame.
class BackgroundLayer {
public:
    // Leaves the canvas's back buffer exactly as clearing it to black and calling paint would.
    // paint draws through the canvas as usual; while it runs, the canvas's back buffer is the
    // layer. A key of 0 is never kept: such a picture is painted every time.
    void drawInto(Canvas& canvas, unsigned long key, const std::function<void()>& paint);

private:
    std::unique_ptr<Surface> layer_;    // the kept picture, null until the first one
    const Surface* madeFor_ = nullptr;  // the back buffer the layer was made for
    unsigned long key_ = 0;             // which picture the layer holds; 0 none
};
