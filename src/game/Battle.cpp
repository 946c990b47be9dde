#include "game/Battle.h"

#include "game/Countdown.h"
#include "game/Deployment.h"
#include "game/DueTicks.h"
#include "world/Battlefield.h"

std::string windowTitle(unsigned seed)
{
    return "Battle - seed " + std::to_string(seed);
}

Battle::Battle(const UnitCounts& counts, unsigned seed) : counts_(counts)
{
    start(seed);
}

Battle::~Battle() = default;

Battle::Battle(const Battle& other)
    : counts_(other.counts_),
      seed_(other.seed_),
      passes_(other.passes_),
      endPass_(other.endPass_),
      reinforcementTimer_(other.reinforcementTimer_),
      watched_(other.watched_),
      random_(other.random_),
      course_(other.course_),
      field_(std::make_unique<Battlefield>(*other.field_))
{
}

Battle& Battle::operator=(const Battle& other)
{
    if (this != &other) *this = Battle(other);
    return *this;
}

Battle::Battle(Battle&& other) noexcept = default;
Battle& Battle::operator=(Battle&& other) noexcept = default;

void Battle::restart(unsigned seed)
{
    start(seed);
}

void Battle::restart(const UnitCounts& counts, unsigned seed)
{
    counts_ = counts;
    start(seed);
}

void Battle::start(unsigned seed)
{
    seed_ = seed;
    passes_ = 0;
    endPass_ = 0;
    random_.reseed(seed);  // before the terrain: the hills are the first draws of a battle
    field_.reset();        // the battle that ended, if any, goes first
    field_ = std::make_unique<Battlefield>();
    field_->setEffectsShown(watched_);
    field_->generateTerrain(random_);
    reinforcementTimer_ = kReinforcementFrames;
    deployArmies(*field_, random_, counts_);  // the units' draws follow the terrain's
    course_.assign(1, aliveOf(*field_));
}

void Battle::frame()
{
    pass();
    countDown();
}

void Battle::pass()
{
    const bool running = endPass_ == 0;
    field_->updatePass(random_);
    ++passes_;
    if (!running) return;
    if (field_->gameOver) endPass_ = passes_;
    if (endPass_ != 0 || passes_ % kTicksPerSecond == 0) course_.push_back(aliveOf(*field_));
}

void Battle::countDown()
{
    if (field_->gameOver) return;
    reinforcementTimer_ -= 1;
    if (reinforcementTimer_ > 0) return;
    reinforcementTimer_ = kReinforcementFrames;
    launchReinforcements(*field_, random_, counts_);
}

void Battle::setWatched(bool watched)
{
    watched_ = watched;
    field_->setEffectsShown(watched);
}

std::size_t Battle::memoryBytes() const
{
    return sizeof(*this) + field_->memoryBytes() + course_.capacity() * sizeof(AliveSample);
}

bool Battle::over() const
{
    return field_->gameOver;
}
