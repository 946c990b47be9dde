#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class Surface;

// A picture that starts every frame and rarely changes (the terrain), kept ready to copy:
// it is painted again only when its key changes, and otherwise costs one copy per frame.
class BackgroundLayer {
public:
    // Leaves target exactly as clearing it to black and calling paint on it would. paint draws
    // into the surface it is given (the kept layer). The key names the picture: the same key,
    // the same picture. An empty key is never kept: such a picture is painted every time.
    void drawInto(Surface& target, std::string_view key, const std::function<void(Surface&)>& paint);

private:
    std::unique_ptr<Surface> layer_;    // the kept picture, null until the first one
    const Surface* madeFor_ = nullptr;  // the back buffer the layer was made for
    std::string key_;                   // which picture the layer holds; empty none
};
