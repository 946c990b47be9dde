#include "game/StateDigest.h"

#include <cstring>

#include "game/Battle.h"
#include "game/Timeline.h"
#include "world/Random.h"
#include "units/Soldier.h"
#include "units/Tank.h"
#include "world/Battlefield.h"

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

std::uint64_t digestChain(Battle& battle, int maxFrames)
{
    Fnv chain;
    for (int frame = 0; frame < maxFrames && !battle.over(); ++frame) {
        battle.frame();
        const std::uint64_t digest = stateDigest(battle.field());
        chain.add(static_cast<std::uint32_t>(digest));
        chain.add(static_cast<std::uint32_t>(digest >> 32));
    }
    return chain.value();
}

std::uint64_t seekChain(Battle& battle, unsigned scriptSeed, int moves)
{
    Random draw(scriptSeed);
    Timeline timeline;
    timeline.reset(battle);
    Fnv chain;
    for (int move = 0; move < moves; ++move) {
        const int now = Timeline::frameOf(battle);
        switch (draw.next() % 7) {
            case 0: timeline.seek(battle, now - draw.next() % 900); break;
            case 1: timeline.seek(battle, draw.next() % (timeline.seen() + 1)); break;
            case 2: timeline.seek(battle, 0); break;
            case 3: timeline.seekToEnd(battle); break;
            case 4: timeline.seek(battle, now + (draw.next() % 2 == 0 ? 1 : -1)); break;
            case 5: timeline.seek(battle, timeline.seen() + 1 + draw.next() % 2000); break;
            default:
                for (int n = draw.next() % 200; n > 0 && !battle.over(); --n) {
                    battle.frame();
                    timeline.note(battle);
                }
        }
        const std::uint64_t digest = stateDigest(battle.field());
        chain.add(Timeline::frameOf(battle));
        chain.add(static_cast<std::uint32_t>(digest));
        chain.add(static_cast<std::uint32_t>(digest >> 32));
    }
    return chain.value();
}
