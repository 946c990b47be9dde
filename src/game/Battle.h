#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/ArmyCount.h"
#include "game/UnitCounts.h"
#include "world/Random.h"

class Battlefield;

// The title of the window (or the page) while the battle of this seed is under way, so that
// any battle can be played again: "Battle - seed 1765140000".
std::string windowTitle(unsigned seed);

// One battle and everything it is made of: its battlefield with every unit and effect, its
// random generator, its counts and its reinforcement timer. Nothing of it lives anywhere else,
// so battles can be held side by side, played in threads of their own and copied.
//
// The one way a battle starts, for the program, the benchmark, the lab and the tests. From a
// seed and the counts, in this order: the generator is seeded, a new battlefield draws its
// hills, the reinforcement timer is set, and both armies are deployed and pointed at the enemy
// base. A battle can be replaced by the next one in place.
class Battle {
public:
    Battle(const UnitCounts& counts, unsigned seed);  // starts the battle of this seed
    ~Battle();

    // The battle as it stands at this frame, every object copied, the references between them
    // naming the copies: the copy plays on exactly as the original would, and nothing one of
    // them does reaches the other. Taken in the middle of a pass, its next frame finishes it.
    Battle(const Battle& other);
    Battle& operator=(const Battle& other);
    Battle(Battle&& other) noexcept;
    Battle& operator=(Battle&& other) noexcept;

    // Ends this battle and starts the one of another seed with the same counts, exactly as a
    // new Battle(counts(), seed) would start it.
    void restart(unsigned seed);
    // Ends this battle and starts the one of these counts and this seed, exactly as a new
    // Battle(counts, seed) would start it; the counts are in force from now on.
    void restart(const UnitCounts& counts, unsigned seed);

    // One logical frame: an update pass, then one step of the reinforcement countdown (and a
    // wave when it runs out). Everything that plays a battle plays it frame by frame.
    void frame();

    // One update pass, counted. Every pass of the battle runs through here, so that the count
    // (and with it the length of the battle) has this one owner.
    void pass();
    // One step of the reinforcement countdown, a wave when it runs out; nothing once a base fell.
    void countDown();

    // Update passes run since the armies were deployed.
    int passes() const { return passes_; }
    // The pass, counting from 1 after deployment, in which a base fell; 0 while both stand.
    // Over the tick rate it is the length of the battle in seconds.
    int endPass() const { return endPass_; }
    bool over() const;  // a base has fallen

    // The battle's course: the units alive per side at its start, after every second of battle
    // time (every kTicksPerSecond passes) while both bases stand, and after the pass in which a
    // base fell.
    const std::vector<AliveSample>& course() const { return course_; }

    std::size_t memoryBytes() const;  // at least what the battle takes, its objects included

    // Frames left until the next reinforcement wave.
    int reinforcementTimer() const { return reinforcementTimer_; }
    // Brings the next wave nearer or puts it off: it comes after this many more steps.
    void setReinforcementTimer(int frames) { reinforcementTimer_ = frames; }

    // A battle nobody watches (the lab's) makes none of the particles that only the picture
    // shows; it draws their random numbers and counts them all the same, so it is the same
    // battle, digest for digest. Kept across restarts. Watched by default.
    void setWatched(bool watched);
    bool watched() const { return watched_; }

    Battlefield& field() { return *field_; }
    const Battlefield& field() const { return *field_; }
    Random& random() { return random_; }
    unsigned seed() const { return seed_; }
    const UnitCounts& counts() const { return counts_; }

private:
    void start(unsigned seed);

    UnitCounts counts_;                   // the armies of every battle started here
    unsigned seed_ = 0;                   // the seed of the battle under way
    int passes_ = 0;                      // update passes of the battle under way
    int endPass_ = 0;                     // the pass in which a base fell; 0 while both stand
    int reinforcementTimer_ = 0;          // frames left until the next wave
    bool watched_ = true;                 // particles are made
    Random random_;                       // every draw of the battle
    std::vector<AliveSample> course_;     // the units alive, second by second
    std::unique_ptr<Battlefield> field_;  // the world of the battle; it stays where it is when the battle moves
};
