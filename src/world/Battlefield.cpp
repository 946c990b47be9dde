#include "world/Battlefield.h"

#include <algorithm>
#include <cstring>

#include "units/Entity.h"
#include "world/Random.h"

Battlefield::Battlefield()
{
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            occupant[x][y] = 0;
            height[x][y] = 0;
        }
    }
}

Battlefield::~Battlefield() = default;

Battlefield::Battlefield(const Battlefield& other)
    : gameOver(other.gameOver),
      graveyard(other.graveyard),
      eliminatedTeam(other.eliminatedTeam),
      generations_(other.generations_),
      freeSlots_(other.freeSlots_),
      unitSlots_(other.unitSlots_),
      baseSlots_(other.baseSlots_),
      nextUpdate_(other.nextUpdate_),
      teamCells_{other.teamCells_[0], other.teamCells_[1]},
      fightCells_{other.fightCells_[0], other.fightCells_[1]},
      unindexedUnits_(other.unindexedUnits_),
      queuedUnits_(other.queuedUnits_),
      nextSerial_(other.nextSerial_),
      effectsShown_(other.effectsShown_),
      unseenEffects_(other.unseenEffects_),
      unseenEndings_(other.unseenEndings_)
{
    std::memcpy(occupant, other.occupant, sizeof occupant);
    std::memcpy(height, other.height, sizeof height);
    // Every object is cloned in list order, queued ones too; each unit goes back into its slot.
    objects.reserve(other.objects.size());
    slotUnits_.assign(other.slotUnits_.size(), nullptr);
    for (const std::unique_ptr<Renderer>& object : other.objects) {
        objects.push_back(object->clone());
        if (object->onGrid) {
            auto* unit = static_cast<Entity*>(objects.back().get());
            slotUnits_[unit->id_.slot] = unit;
        }
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
    occupant[entity->x][entity->y] = 0;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].clear(entity->x, entity->y);
        teamCells_[entity->team].set(nx, ny);
        if (entity->inFightIndex_) {
            fightCells_[entity->team].clear(entity->x, entity->y);
            fightCells_[entity->team].set(nx, ny);
        }
    }
    occupant[nx][ny] = static_cast<CellSlot>(entity->id_.slot);
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

void Battlefield::noteFightState(Entity& unit)
{
    // A unit queued for removal stays in the unit list until the sweep, and the searches still
    // count it there: its fight state is indexed like any other's until it leaves the grid. A
    // unit of no battlefield, or of another one, is not this one's to index.
    const std::uint32_t slot = unit.id_.slot;
    if (slot >= slotUnits_.size() || slotUnits_[slot] != &unit || !indexedTeam(unit.team)) return;
    const bool fighting = unit.inFight();
    if (fighting == unit.inFightIndex_) return;
    unit.inFightIndex_ = fighting;
    if (fighting) {
        fightCells_[unit.team].set(unit.x, unit.y);
    } else {
        fightCells_[unit.team].clear(unit.x, unit.y);
    }
}

// ---- object lists ----

Entity* Battlefield::registerUnit(std::unique_ptr<Entity> owned)
{
    const int x = owned->x;
    const int y = owned->y;
    if (x < 0 || y < 0 || x >= kColumns || y >= kRows || occupant[x][y] != 0) return nullptr;
    // The table is full only when units were moved onto the cells of others.
    if (freeSlots_.empty() && slotUnits_.size() >= kSlotLimit) return nullptr;
    std::uint32_t slot = 0;
    if (freeSlots_.empty()) {
        slot = static_cast<std::uint32_t>(slotUnits_.size());
        slotUnits_.push_back(nullptr);
        generations_.push_back(0);
    } else {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    }
    Entity* entity = owned.get();
    slotUnits_[slot] = entity;
    entity->id_ = {slot, generations_[slot]};
    occupant[x][y] = static_cast<CellSlot>(slot);
    entity->onGrid = true;
    entity->serial_ = ++nextSerial_;
    if (indexedTeam(entity->team)) {
        teamCells_[entity->team].set(x, y);
    } else {
        ++unindexedUnits_;
    }
    if (entity->getType() == ObjectKind::Base) baseSlots_.push_back(slot);
    unitSlots_.push_back(slot);
    objects.push_back(std::move(owned));
    noteFightState(*entity);
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
    // Mostly the object being updated queues itself; any other is looked for.
    std::size_t place = nextUpdate_ - 1;
    if (nextUpdate_ == 0 || objects[place].get() != object) {
        const auto found = std::find_if(objects.begin(), objects.end(),
                                        [object](const std::unique_ptr<Renderer>& o) { return o.get() == object; });
        if (found == objects.end()) return;
        place = static_cast<std::size_t>(found - objects.begin());
    }
    object->queued = true;
    if (object->onGrid) ++queuedUnits_;
    graveyard.push_back(place);
}

void Battlefield::updatePass(Random& random)
{
    // A pass under way here was begun by the battlefield this one was copied from: it is finished.
    if (!gameOver || nextUpdate_ > 0) {
        // Indexed, not iterated: objects appended during the walk are updated in this pass.
        while (nextUpdate_ < objects.size()) {
            Renderer* object = objects[nextUpdate_].get();
            ++nextUpdate_;
            object->update(*this, random);
        }
        // The unseen particles that would have run out of lifetime in this pass.
        if (!unseenEndings_.empty()) {
            unseenEffects_ -= static_cast<std::size_t>(unseenEndings_.front());
            unseenEndings_.pop_front();
        }
    }
    nextUpdate_ = 0;
    removalSweep();
}

std::size_t Battlefield::memoryBytes() const
{
    const std::size_t slots = generations_.capacity() + freeSlots_.capacity() + unitSlots_.capacity() +
                              baseSlots_.capacity() + slotUnits_.capacity() * 2;  // an address is two of them at most
    const std::size_t lists =
        (objects.capacity() + graveyard.capacity()) * sizeof(void*) + slots * sizeof(std::uint32_t);
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
    if (queuedUnits_ > 0) {
        size_t kept = 0;
        for (const std::uint32_t slot : unitSlots_) {
            Entity* unit = slotUnits_[slot];
            if (unit->queued) {
                unregisterUnit(*unit);  // frees the slot
            } else {
                unitSlots_[kept++] = slot;
            }
        }
        unitSlots_.resize(kept);
        queuedUnits_ = 0;
        // A target that no longer resolves was one of the units just removed: its hunter
        // disengages, which keeps the fight cells true.
        for (const std::uint32_t slot : unitSlots_) {
            Entity* unit = slotUnits_[slot];
            if (unit->target_.isSet() && this->unit(unit->target_) == nullptr) unit->setTarget(*this, nullptr);
        }
        baseSlots_.erase(std::remove_if(baseSlots_.begin(), baseSlots_.end(),
                                        [this](std::uint32_t slot) { return slotUnits_[slot] == nullptr; }),
                         baseSlots_.end());
    }
    // In the order they were queued; then the list closes up behind them.
    for (const std::size_t place : graveyard) {
        objects[place]->onRemoved();
        objects[place].reset();
    }
    graveyard.clear();
    objects.erase(std::remove(objects.begin(), objects.end(), nullptr), objects.end());
}

void Battlefield::unregisterUnit(Entity& entity)
{
    const std::uint32_t slot = entity.id_.slot;
    if (occupant[entity.x][entity.y] == slot) occupant[entity.x][entity.y] = 0;
    if (indexedTeam(entity.team)) {
        teamCells_[entity.team].clear(entity.x, entity.y);
        if (entity.inFightIndex_) fightCells_[entity.team].clear(entity.x, entity.y);
    } else {
        --unindexedUnits_;
    }
    entity.inFightIndex_ = false;
    entity.onGrid = false;
    entity.id_ = UnitId();
    // Every handle to the unit resolves to none from now on, whoever takes the slot next.
    slotUnits_[slot] = nullptr;
    ++generations_[slot];
    freeSlots_.push_back(slot);
}
