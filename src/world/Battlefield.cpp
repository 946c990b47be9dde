#include "world/Battlefield.h"

#include <algorithm>
#include <cstring>

#include "units/Entity.h"
#include "world/Random.h"

Battlefield::Battlefield()
{
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            occupant[x][y] = nullptr;
            height[x][y] = 0;
        }
    }
}

Battlefield::~Battlefield() = default;

Battlefield::Battlefield(const Battlefield& other)
    : gameOver(other.gameOver),
      eliminatedTeam(other.eliminatedTeam),
      teamCells_{other.teamCells_[0], other.teamCells_[1]},
      fightCells_{other.fightCells_[0], other.fightCells_[1]},
      unindexedUnits_(other.unindexedUnits_),
      queuedUnits_(other.queuedUnits_),
      nextSerial_(other.nextSerial_),
      effectsShown_(other.effectsShown_),
      unseenEffects_(other.unseenEffects_),
      unseenEndings_(other.unseenEndings_)
{
    std::memcpy(height, other.height, sizeof height);
    // Every object is cloned in list order; then every reference to a unit (a target, a shot's
    // shooter, a cell of the grid) is pointed at the unit's copy.
    UnitMap copies;
    copies.reserve(other.units.size());
    std::unordered_map<const Renderer*, Renderer*> queuedCopies;  // only in the middle of a pass
    objects.reserve(other.objects.size());
    for (const std::unique_ptr<Renderer>& object : other.objects) {
        std::unique_ptr<Renderer> copy = object->clone();
        if (object->onGrid) {
            auto* unit = static_cast<Entity*>(copy.get());
            unit->home_ = this;
            copies.emplace(static_cast<const Entity*>(object.get()), unit);
        }
        if (object->queued) queuedCopies.emplace(object.get(), copy.get());
        objects.push_back(std::move(copy));
    }
    for (const std::unique_ptr<Renderer>& object : objects) object->remapUnits(copies);
    auto copyOf = [&copies](const Entity* unit) -> Entity* {
        const auto found = copies.find(unit);
        return found == copies.end() ? nullptr : found->second;
    };
    units.reserve(other.units.size());
    for (const Entity* unit : other.units) units.push_back(copyOf(unit));
    for (const Entity* base : other.bases_) bases_.push_back(copyOf(base));
    for (const Renderer* object : other.graveyard) graveyard.push_back(queuedCopies.at(object));
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) occupant[x][y] = other.occupant[x][y] ? copyOf(other.occupant[x][y]) : nullptr;
    }
}

// ---- terrain ----

void Battlefield::generateTerrain(Random& random)
{
    const int hills = random.next() % 15 + 20;
    for (int n = 0; n < hills; ++n) {
        // Each hill draws column, row and peak in that order.
        const int cx = (random.next() % (kColumns * kCellPixels)) / kCellPixels;
        const int cy = (random.next() % (kRows * kCellPixels)) / kCellPixels;
        const int peak = random.next() % kMaxHeight + 1;
        raiseHill(cx, cy, peak);
    }
}

void Battlefield::raiseHill(int cx, int cy, int peak)
{
    auto raise = [this](int x, int y, int amount) {
        if (x >= 0 && x < kColumns && y >= 0 && y < kRows) height[x][y] += amount;
    };
    raise(cx, cy, peak);
    for (int k = 1; k < peak; ++k) {
        const int amount = peak - k;
        for (int i = 0; i < k; ++i) {
            const int j = k - i;
            raise(cx + i, cy + j, amount);
            raise(cx - j, cy + i, amount);
            raise(cx - i, cy - j, amount);
            raise(cx + j, cy - i, amount);
        }
    }
    for (auto& column : height) {
        for (int& h : column) h = std::clamp(h, 0, kMaxHeight);
    }
}

void Battlefield::setHeight(int x, int y, int h)
{
    if (x >= 0 && x < kColumns && y >= 0 && y < kRows) height[x][y] = std::clamp(h, 0, kMaxHeight);
}

// ---- cell queries ----

void Battlefield::moveEntity(Entity* entity, float x, float y)
{
    // The old cell is cleared first, so a move onto the unit's own cell leaves it in place.
    const int nx = static_cast<int>(x);
    const int ny = static_cast<int>(y);
    occupant[entity->x][entity->y] = nullptr;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].clear(entity->x, entity->y);
        teamCells_[entity->team].set(nx, ny);
        if (entity->inFightIndex_) {
            fightCells_[entity->team].clear(entity->x, entity->y);
            fightCells_[entity->team].set(nx, ny);
        }
    }
    occupant[nx][ny] = entity;
    entity->x = nx;
    entity->y = ny;
}

// ---- indexes ----

const CellMask* Battlefield::enemyCells(int team) const
{
    if (unindexedUnits_ > 0 || !indexedTeam(team)) return nullptr;
    return &teamCells_[1 - team];
}

const CellMask* Battlefield::fightCells(int team) const
{
    if (unindexedUnits_ > 0 || !indexedTeam(team)) return nullptr;
    return &fightCells_[team];
}

void Battlefield::noteFightState(Entity* unit)
{
    // A unit queued for removal stays in the unit list until the sweep, and the searches still
    // count it there: its fight state is indexed like any other's until it leaves the grid.
    if (unit->home_ != this || !indexedTeam(unit->team)) return;
    const bool fighting = unit->inFight();
    if (fighting == unit->inFightIndex_) return;
    unit->inFightIndex_ = fighting;
    if (fighting) {
        fightCells_[unit->team].set(unit->x, unit->y);
    } else {
        fightCells_[unit->team].clear(unit->x, unit->y);
    }
}

// ---- object lists ----

Entity* Battlefield::registerUnit(std::unique_ptr<Entity> owned)
{
    const int x = owned->x;
    const int y = owned->y;
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows || occupant[x][y] != nullptr) return nullptr;
    Entity* entity = owned.get();
    occupant[x][y] = entity;
    entity->onGrid = true;
    entity->home_ = this;
    entity->serial_ = ++nextSerial_;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].set(x, y);
    } else {
        ++unindexedUnits_;
    }
    if (entity->getType() == ObjectKind::Base) bases_.push_back(entity);
    units.push_back(entity);
    objects.push_back(std::move(owned));
    noteFightState(entity);
    return entity;
}

void Battlefield::addObject(std::unique_ptr<Renderer> object)
{
    objects.push_back(std::move(object));
}

void Battlefield::queueRemoval(Renderer* object)
{
    // An object is queued at most once: a second entry would destroy it twice.
    if (object == nullptr || object->queued) return;
    object->queued = true;
    if (object->onGrid) ++queuedUnits_;
    graveyard.push_back(object);
}

void Battlefield::updatePass(Random& random)
{
    if (!gameOver) {
        // Indexed, not iterated: objects appended during the walk are updated in this pass.
        for (size_t i = 0; i < objects.size(); ++i) objects[i]->update(*this, random);
        // The unseen particles that would have run out of lifetime in this pass.
        if (!unseenEndings_.empty()) {
            unseenEffects_ -= static_cast<std::size_t>(unseenEndings_.front());
            unseenEndings_.pop_front();
        }
    }
    removalSweep();
}

std::size_t Battlefield::memoryBytes() const
{
    const std::size_t lists =
        (objects.capacity() + units.capacity() + graveyard.capacity() + bases_.capacity()) * sizeof(void*);
    return sizeof(*this) + lists + objects.size() * kBytesPerObject + unseenEndings_.size() * sizeof(int);
}

void Battlefield::countUnseenEffect(int lifetime)
{
    // A particle is updated in the pass that makes it, and leaves at the end of the pass in
    // which its lifetime reaches 0: this one for a lifetime of 1 or less.
    const std::size_t pass = lifetime > 1 ? static_cast<std::size_t>(lifetime - 1) : 0;
    if (unseenEndings_.size() <= pass) unseenEndings_.resize(pass + 1, 0);
    ++unseenEndings_[pass];
    ++unseenEffects_;
}

void Battlefield::removalSweep()
{
    if (graveyard.empty()) return;
    // Everything queued is marked, so the lists are compacted in one walk each, keeping their
    // order, instead of being searched once per removed object. Most passes remove only
    // effects: the unit list is walked only when a unit is queued.
    // A queued object leaves the list for the graveyard, which destroys it at the end.
    size_t live = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->queued) {
            (void)objects[i].release();
        } else {
            if (live != i) objects[live] = std::move(objects[i]);
            ++live;
        }
    }
    objects.resize(live);
    bool unitRemoved = false;
    if (queuedUnits_ > 0) {
        size_t kept = 0;
        for (Entity* unit : units) {
            if (unit->queued) {
                unregisterUnit(unit);
                unitRemoved = true;
            } else {
                units[kept++] = unit;
            }
        }
        units.resize(kept);
        queuedUnits_ = 0;
    }
    if (unitRemoved) {
        // Nobody may keep pointing at a unit that is about to be destroyed.
        for (Entity* unit : units) {
            if (unit->target() != nullptr && unit->target()->queued) unit->setTarget(nullptr);
        }
        for (const std::unique_ptr<Renderer>& object : objects) object->forgetRemovedUnits();
        bases_.erase(std::remove_if(bases_.begin(), bases_.end(), [](const Entity* b) { return b->queued; }),
                     bases_.end());
    }
    // In the order they were queued.
    for (Renderer* object : graveyard) {
        const std::unique_ptr<Renderer> dying(object);
        dying->onRemoved();
    }
    graveyard.clear();
}

void Battlefield::unregisterUnit(Entity* entity)
{
    if (occupant[entity->x][entity->y] == entity) occupant[entity->x][entity->y] = nullptr;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].clear(entity->x, entity->y);
        if (entity->inFightIndex_) fightCells_[entity->team].clear(entity->x, entity->y);
    } else {
        --unindexedUnits_;
    }
    entity->inFightIndex_ = false;
    entity->onGrid = false;
    entity->home_ = nullptr;
}
