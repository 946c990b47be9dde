#include "units/Entity.h"

#include <algorithm>

#include "effects/Particle.h"
#include "effects/Projectile.h"
#include "units/TargetSearch.h"
#include "units/UnitMemory.h"
#include "world/Battlefield.h"
#include "world/Random.h"

Colour teamColour(int team)
{
    switch (team) {
        case 0: return {255, 0, 0};
        case 1: return {0, 0, 255};
        case 2: return {0, 255, 0};
        case 3: return {255, 255, 0};
        default: return {255, 255, 255};
    }
}

Colour addClamped(Colour a, Colour b)
{
    return {std::clamp(a.r + b.r, 0, 255), std::clamp(a.g + b.g, 0, 255), std::clamp(a.b + b.b, 0, 255)};
}

Colour modeColour(int team, Mode mode)
{
    switch (mode) {
        case Mode::Advance:
        case Mode::Travel: return addClamped(teamColour(team), {-128, -128, -128});  // dim
        case Mode::Engage:
        case Mode::Bombard: return addClamped(teamColour(team), {64, 64, 64});  // bright
    }
    return {255, 255, 255};
}

Entity::Entity(int team, int x, int y) : team(team)
{
    this->x = x;
    this->y = y;
    colour = {0, 0, 0};
}

void* Entity::operator new(std::size_t size)
{
    return UnitMemory::take(size);
}

void Entity::operator delete(void* block, std::size_t size)
{
    UnitMemory::give(block, size);
}

void Entity::update(Battlefield& field, Random& random)
{
    unitUpdate(field, random);
}

void Entity::setMode(Battlefield& field, Mode newMode)
{
    mode = newMode;
    // Entering travel keeps the order that comes with it.
    if (newMode != Mode::Travel) endTravelOrder(field);
    colour = modeColour(team, newMode);
}

bool Entity::inFight() const
{
    return target_.isSet() || (travelSteps_ > 0 && travelReason_ == TravelReason::AnswerFire);
}

void Entity::setTarget(Battlefield& field, const Entity* enemy)
{
    target_ = enemy != nullptr ? enemy->id_ : UnitId();
    field.noteFightState(*this);
}

void Entity::giveTravelOrder(Battlefield& field, Vec2 cell, TravelReason reason, int steps)
{
    destination_ = cell;
    setMode(field, Mode::Travel);
    travelReason_ = reason;
    travelSteps_ = steps;
    field.noteFightState(*this);
}

void Entity::takeTravelStep(Battlefield& field)
{
    if (travelSteps_ > 0) --travelSteps_;
    field.noteFightState(*this);
}

void Entity::endTravelOrder(Battlefield& field)
{
    travelReason_ = TravelReason::None;
    travelSteps_ = 0;
    destination_ = Vec2();
    field.noteFightState(*this);
}

void Entity::unitUpdate(Battlefield& field, Random& random)
{
    if (!(health > 0)) {
        field.queueRemoval(this);
        return;
    }
    // The countdown is reset before the decision step, so a step may change the period it uses.
    --actionCountdown;
    if (actionCountdown > 0) return;
    actionCountdown = actionPeriod;
    think(field, random);
}

void Entity::advance(Battlefield& field)
{
    const Vec2 fight = findAllyFight(field, *this);
    if (fight.isSet()) {
        // The order is only given in this step; the walk starts with the next one.
        giveTravelOrder(field, fight, TravelReason::JoinFight, 5);
    } else if (goal.isSet()) {
        moveTowards(field, goal);
    }
}

void Entity::moveTowards(Battlefield& field, Vec2 cell)
{
    const Vec2 step = stepTowards(field, *this, cell.x, cell.y);
    field.moveEntity(this, step.x, step.y);
}

void Entity::shootAtTarget(Battlefield& field, Random& random, int shotSize, int speed)
{
    const Entity* target = field.unit(target_);
    if (target == nullptr) return;  // nobody to shoot at
    field.addObject(std::make_unique<Projectile>(random, this, damage, shotSize, 255, 255, 0, speed,
                                                 static_cast<float>(cellCentre(x)), static_cast<float>(cellCentre(y)),
                                                 static_cast<float>(cellCentre(target->x)),
                                                 static_cast<float>(cellCentre(target->y))));
}

void Entity::takeDamage(Battlefield& field, Random& random, const Entity* attacker, float amount)
{
    const int h = field.heightAt(static_cast<float>(x), static_cast<float>(y));
    const float damageFactor = static_cast<float>((30.0 - h) / 30.0);  // high ground protects
    health = health - damageFactor * amount;

    // A shot whose shooter has already fallen leaves nobody to answer: no reaction then.
    if (!target_.isSet() && attacker != nullptr) {
        giveTravelOrder(field, {static_cast<float>(attacker->x), static_cast<float>(attacker->y)},
                        TravelReason::AnswerFire, 10);
    }

    const float px = static_cast<float>(cellCentre(x));
    const float py = static_cast<float>(cellCentre(y));
    if (health > 0) {
        for (int n = 0; n < 3; ++n) {  // sparks
            const int g = random.next() % 128 + 128;
            const int r = random.next() % 50 + 200;
            const int lifetime = random.next() % 4 + 8;
            Particle::spawn(field, random, lifetime, 1, r, g, 0, 1, 5, 20, ParticleStyle::Dot, px, py);
        }
    } else {
        for (int n = 0; n < 10; ++n) {  // debris
            const int r = random.next() % 128 + 128;
            const int lifetime = random.next() % 4 + 8;
            Particle::spawn(field, random, lifetime, 2, r, 0, 0, 1, 5, 20, ParticleStyle::Dot, px, py);
        }
    }
}
