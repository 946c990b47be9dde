#include <algorithm>
#include <functional>
#include <vector>
#include <vector>

#include "support/TestWorld.h"
#include "units/Entity.h"
#include "units/Soldier.h"
#include "world/Battlefield.h"

namespace {

// What the test objects saw, kept by the fixture so it outlives the objects the world destroys.
struct Journal {
    std::vector<int> updated;    // ids in update order
    std::vector<int> removed;    // ids in onRemoved order
    std::vector<int> destroyed;  // ids in destruction order
};

// An effect-like object that logs its life and can act during its update.
class Probe : public Renderer {
public:
    Probe(Journal& journal, int id) : journal_(journal), id_(id) {}
    ~Probe() override { journal_.destroyed.push_back(id_); }
    void draw(Surface&) const override {}
    void update(Battlefield&, Random&) override
    {
        journal_.updated.push_back(id_);
        if (onUpdate) onUpdate();
    }
    void onRemoved() override { journal_.removed.push_back(id_); }
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<Probe>(*this); }

    std::function<void()> onUpdate;

private:
    Journal& journal_;
    int id_;
};

// A unit that logs its removal and destruction; it never thinks.
class LoggedUnit : public Entity {
public:
    LoggedUnit(Journal& journal, int id, int team, int x, int y) : Entity(team, x, y), journal_(journal), id_(id)
    {
        health = 100;
        actionPeriod = actionCountdown = 1000;
    }
    ~LoggedUnit() override { journal_.destroyed.push_back(id_); }
    void draw(Surface&) const override {}
    void think(Battlefield&, Random&) override {}
    void fire(Battlefield&, Random&) override {}
    void onRemoved() override { journal_.removed.push_back(id_); }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<LoggedUnit>(*this); }

private:
    Journal& journal_;
    int id_;
};

template <typename List, typename T>
bool contains(const List& list, const T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

class UpdatePassTest : public WorldTest {
protected:
    Probe* addProbe(int id) { return addObject(std::make_unique<Probe>(journal, id)); }
    LoggedUnit* placeLogged(int id, int x, int y)
    {
        return static_cast<LoggedUnit*>(field().registerUnit(std::make_unique<LoggedUnit>(journal, id, 0, x, y)));
    }

    Journal journal;
};

}  // namespace

TEST_F(UpdatePassTest, ObjectAddedDuringThePassIsUpdatedLastInThatPass)
{
    Probe* first = addProbe(1);
    addProbe(2);
    bool spawned = false;
    first->onUpdate = [this, &spawned] {
        if (spawned) return;
        spawned = true;
        addProbe(3);
    };
    updatePass();
    EXPECT_EQ(journal.updated, (std::vector<int>{1, 2, 3}));
    updatePass();
    EXPECT_EQ(journal.updated, (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

TEST_F(UpdatePassTest, NothingIsUpdatedAfterGameOver)
{
    addProbe(1);
    Soldier* dead = placeSoldier(0, 10, 10);
    dead->health = 0;  // would queue itself if updated
    const std::vector<Renderer*> objectsBefore = objectList(field());
    const std::vector<Entity*> unitsBefore = unitList(field());

    field().gameOver = true;
    updatePass();
    EXPECT_TRUE(journal.updated.empty());
    EXPECT_TRUE(journal.removed.empty());
    EXPECT_EQ(objectList(field()), objectsBefore);
    EXPECT_EQ(unitList(field()), unitsBefore);
    EXPECT_TRUE(field().graveyard.empty());
    EXPECT_EQ(field().occupantAt(10, 10), dead);
}

TEST_F(UpdatePassTest, RefusedRegistrationDestroysTheUnitAndChangesNothing)
{
    LoggedUnit* resident = placeLogged(1, 5, 5);
    struct {
        int x, y;
    } const cells[] = {{5, 5}, {80, 3}, {-1, 3}, {3, 64}, {3, -1}};
    int id = 10;
    for (const auto& c : cells) {
        SCOPED_TRACE(::testing::Message() << "cell (" << c.x << ", " << c.y << ")");
        journal.destroyed.clear();
        EXPECT_EQ(placeLogged(id, c.x, c.y), nullptr);
        EXPECT_EQ(journal.destroyed, std::vector<int>{id});
        EXPECT_EQ(unitList(field()), std::vector<Entity*>{resident});
        EXPECT_EQ(objectList(field()), std::vector<Renderer*>{resident});
        EXPECT_EQ(field().occupantAt(5, 5), resident);
        ++id;
    }
}

TEST_F(UpdatePassTest, RemovedUnitLeavesGridListsAndTargets)
{
    Soldier* fallen = placeSoldier(0, 10, 10);
    Soldier* hunter = placeSoldier(1, 12, 10);
    Soldier* other = placeSoldier(1, 14, 10);
    Soldier* bystander = placeSoldier(0, 16, 10);
    hunter->setTarget(field(), fallen);
    other->setTarget(field(), fallen);
    bystander->setTarget(field(), other);
    fallen->health = 0;

    updatePass();
    EXPECT_TRUE(field().isFreeCell(10, 10));
    EXPECT_FALSE(contains(field().units(), fallen));
    EXPECT_FALSE(contains(objectList(field()), fallen));
    EXPECT_FALSE(hunter->target().isSet());
    EXPECT_FALSE(other->target().isSet());
    EXPECT_EQ(field().unit(bystander->target()), other);
    EXPECT_EQ(field().units().size(), 3u);
    EXPECT_EQ(field().objects.size(), 3u);
    EXPECT_TRUE(field().graveyard.empty());
}

TEST_F(UpdatePassTest, AHandleToARemovedUnitNamesNobodyEvenWhenItsSlotIsTakenAgain)
{
    Soldier* fallen = placeSoldier(0, 10, 10);
    const UnitId gone = fallen->id();
    EXPECT_EQ(field().unit(gone), fallen);
    fallen->health = 0;
    updatePass();
    EXPECT_EQ(field().unit(gone), nullptr);

    Soldier* newcomer = placeSoldier(1, 10, 10);
    EXPECT_EQ(newcomer->id().slot, gone.slot) << "the freed slot is taken again";
    EXPECT_EQ(field().unit(gone), nullptr);
    EXPECT_EQ(field().unit(newcomer->id()), newcomer);
    EXPECT_EQ(field().unit(UnitId()), nullptr);
}

TEST_F(UpdatePassTest, QueuedObjectsAreRemovedInQueueOrder)
{
    LoggedUnit* a = placeLogged(1, 1, 1);
    LoggedUnit* b = placeLogged(2, 2, 1);
    LoggedUnit* c = placeLogged(3, 3, 1);
    LoggedUnit* survivor = placeLogged(4, 4, 1);
    Probe* effect = addProbe(5);
    survivor->setTarget(field(), b);
    // Queue in an order that differs from the list order.
    Probe* queuer = addProbe(6);
    queuer->onUpdate = [this, a, b, c, effect] {
        field().queueRemoval(c);
        field().queueRemoval(effect);
        field().queueRemoval(a);
        field().queueRemoval(b);
    };
    updatePass();

    EXPECT_EQ(journal.removed, (std::vector<int>{3, 5, 1, 2}));
    EXPECT_EQ(journal.destroyed, (std::vector<int>{3, 5, 1, 2}));
    EXPECT_EQ(unitList(field()), std::vector<Entity*>{survivor});
    EXPECT_EQ(objectList(field()), (std::vector<Renderer*>{survivor, queuer}));
    EXPECT_FALSE(survivor->target().isSet());
    for (int x : {1, 2, 3}) EXPECT_TRUE(field().isFreeCell(x, 1)) << "column " << x;
}

TEST_F(UpdatePassTest, AnObjectIsQueuedOnlyOnce)
{
    Probe* probe = addProbe(1);
    probe->onUpdate = [this, probe] {
        field().queueRemoval(probe);  // not there yet: added
        field().queueRemoval(probe);  // already there: ignored
        EXPECT_EQ(field().graveyard.size(), 1u);
        field().queueRemoval(probe);  // nor without the flag: it would be destroyed twice
        EXPECT_EQ(field().graveyard.size(), 1u);
    };
    updatePass();
    EXPECT_EQ(journal.removed, std::vector<int>{1});
    EXPECT_EQ(journal.destroyed, std::vector<int>{1});
    EXPECT_TRUE(field().objects.empty());
}
