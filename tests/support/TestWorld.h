#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "units/Renderer.h"
#include "units/Soldier.h"
#include "world/Battlefield.h"
#include "world/Random.h"

class Tank;
class Base;

// The objects of class T in the field's object list, in list order.
template <class T>
std::vector<T*> objectsOf(const Battlefield& field)
{
    std::vector<T*> found;
    for (const std::unique_ptr<Renderer>& object : field.objects) {
        if (auto* match = dynamic_cast<T*>(object.get())) found.push_back(match);
    }
    return found;
}

// The objects of the field's list, in list order.
inline std::vector<Renderer*> objectList(const Battlefield& field)
{
    std::vector<Renderer*> list;
    for (const std::unique_ptr<Renderer>& object : field.objects) list.push_back(object.get());
    return list;
}

// The units of the field, in registration order.
inline std::vector<Entity*> unitList(const Battlefield& field)
{
    return {field.units().begin(), field.units().end()};
}

// A fresh, flat, empty battlefield and a random generator seeded with a fixed value, for the
// length of one test. It needs no graphics library: a build of the lab alone runs these tests
// (a test that looks at pictures uses DrawnWorldTest).
class WorldTest : public ::testing::Test {
protected:
    void TearDown() override;

    Battlefield& field() { return *field_; }
    Random& random() { return random_; }
    void updatePass() { field_->updatePass(random_); }  // one update pass of the field

    // Appends the object to the field's list (the field owns it) and returns it.
    template <class T>
    T* addObject(std::unique_ptr<T> object)
    {
        T* added = object.get();
        field_->addObject(std::move(object));
        return added;
    }

    // Units registered on the field; fails the test if the cell is taken.
    Soldier* placeSoldier(int team, int x, int y, SoldierKind kind = SoldierKind::Rifleman);
    Tank* placeTank(int team, int x, int y, int size = 4, int period = 10);
    Base* placeBase(int team, int x, int y);

private:
    Random random_{12345};
    // Destroyed at the end of the test, before anything the test's own fixture holds.
    std::unique_ptr<Battlefield> field_ = std::make_unique<Battlefield>();
};
