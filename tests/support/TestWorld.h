#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "gfx/Canvas.h"
#include "bitmap/MemoryCanvas.h"
#include "units/Renderer.h"
#include "world/Battlefield.h"

class Soldier;
class Tank;
class Base;

// Starts the graphics library with no screen (once per process) at 16-bit colour, so that
// memory bitmaps and makecol work in tests.
void ensureHeadlessAllegro();

// The objects of class T in the field's object list, in list order.
template <class T>
std::vector<T*> objectsOf(const Battlefield& field)
{
    std::vector<T*> found;
    for (Renderer* object : field.objects) {
        if (auto* match = dynamic_cast<T*>(object)) found.push_back(match);
    }
    return found;
}

// A fresh, flat, empty battlefield and a 1280 x 1024 memory back buffer, installed as the
// program's world and canvas for the length of one test. The battle's random numbers are
// seeded with a fixed value.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Battlefield& field() { return *field_; }
    BITMAP* bitmap() { return canvas_->bitmap(); }

    // Pixel value at (x, y) of the back buffer, and the pixel value of a colour.
    int pixel(int x, int y) const;
    static int colourValue(int r, int g, int b);

    // Units registered on the field; fails the test if the cell is taken.
    Soldier* placeSoldier(int team, int x, int y, int kind = 1);
    Tank* placeTank(int team, int x, int y, int size = 4, int period = 10);
    Base* placeBase(int team, int x, int y);

private:
    Battlefield* field_ = nullptr;
    Battlefield* previousField_ = nullptr;
    std::optional<MemoryCanvas> canvas_;
};
