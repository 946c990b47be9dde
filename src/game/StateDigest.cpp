#include "game/StateDigest.h"

#include <cstring>

#include "game/Battle.h"
#include "game/WatchedBattle.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"
#include "world/Random.h"

namespace {

// FNV-1a over 32-bit words.
class Fnv {
public:
    Fnv() : hash_(14695981039346656037ull) {}  // FNV-1a's offset basis
    void add(std::uint32_t word)
    {
        for (int byte = 0; byte < 4; ++byte) {
            hash_ ^= (word >> (8 * byte)) & 0xffu;
            hash_ *= 1099511628211ull;
        }
    }
    void add(int value) { add(static_cast<std::uint32_t>(value)); }
    void add(float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        add(bits);
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_;
};

int classCode(const Entity& unit)
{
    if (unit.getType() == ObjectKind::Base) return 100;
    if (dynamic_cast<const Tank*>(&unit) != nullptr) return 200;
    if (const auto* soldier = dynamic_cast<const Soldier*>(&unit)) return 300 + static_cast<int>(soldier->soldierKind);
    return 400;
}

}  // namespace

std::uint64_t stateDigest(const Battlefield& field)
{
    Fnv fnv;
    for (const Entity* unit : field.units()) {
        fnv.add(classCode(*unit));
        fnv.add(unit->team);
        fnv.add(unit->x);
        fnv.add(unit->y);
        fnv.add(unit->health);
        fnv.add(static_cast<int>(unit->mode));
        const Entity* target = field.unit(unit->target());
        fnv.add(target != nullptr ? target->x : -1);
        fnv.add(target != nullptr ? target->y : -1);
    }
    fnv.add(static_cast<int>(field.objectCount()));
    fnv.add(field.gameOver ? 1 : 0);
    return fnv.value();
}

namespace {
// Plays frame after frame until a base falls or maxFrames have run, folding every digest.
template <typename PlayFrame>
std::uint64_t chainOf(const Battle& battle, int maxFrames, PlayFrame playFrame)
{
    Fnv chain;
    for (int frame = 0; frame < maxFrames && !battle.over(); ++frame) {
        playFrame();
        const std::uint64_t digest = stateDigest(battle.field());
        chain.add(static_cast<std::uint32_t>(digest));
        chain.add(static_cast<std::uint32_t>(digest >> 32));
    }
    return chain.value();
}
}  // namespace

std::uint64_t digestChain(Battle& battle, int maxFrames)
{
    return chainOf(battle, maxFrames, [&battle] { battle.frame(); });
}

std::uint64_t digestChain(WatchedBattle& watched, int maxFrames)
{
    return chainOf(watched.battle(), maxFrames, [&watched] { watched.playFrame(); });
}

std::uint64_t seekChain(WatchedBattle& watched, unsigned scriptSeed, int moves)
{
    Random draw(scriptSeed);
    const Timeline& timeline = watched.timeline();
    Fnv chain;
    for (int move = 0; move < moves; ++move) {
        const int now = watched.moment();
        switch (draw.next() % 7) {
            case 0: watched.seekTo(now - static_cast<int>(draw.next() % 900)); break;
            case 1: watched.seekTo(static_cast<int>(draw.next() % (timeline.seen() + 1))); break;
            case 2: watched.seekTo(0); break;
            case 3: watched.seekToEnd(); break;
            case 4: watched.seekTo(now + (draw.next() % 2 == 0 ? 1 : -1)); break;
            case 5: watched.seekTo(timeline.seen() + 1 + static_cast<int>(draw.next() % 2000)); break;
            default:
                for (int n = static_cast<int>(draw.next() % 200); n > 0 && !watched.battle().over(); --n) {
                    watched.playFrame();
                }
        }
        const std::uint64_t digest = stateDigest(watched.battle().field());
        chain.add(watched.moment());
        chain.add(static_cast<std::uint32_t>(digest));
        chain.add(static_cast<std::uint32_t>(digest >> 32));
    }
    return chain.value();
}
