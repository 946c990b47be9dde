#include "effects/EffectMemory.h"

#include <new>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kReuseBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kReuseBlocks = false;
#else
constexpr bool kReuseBlocks = true;
#endif
#else
constexpr bool kReuseBlocks = true;
#endif

// A block on the list holds nothing but the link to the next one.
struct SpareBlock {
    SpareBlock* next;  // the next spare block; null at the end of the list
};

// A list per thread, so that battles played side by side never share one and take no lock.
thread_local SpareBlock* spares = nullptr;  // the list of blocks waiting for an effect
thread_local std::size_t spareCount = 0;    // blocks on the list

}  // namespace

void* EffectMemory::take(std::size_t size)
{
    if (!kReuseBlocks || size > kBlockSize) return ::operator new(size);
    if (spares == nullptr) return ::operator new(kBlockSize);
    SpareBlock* block = spares;
    spares = block->next;
    --spareCount;
    return block;
}

void EffectMemory::give(void* block, std::size_t size)
{
    if (block == nullptr) return;
    if (!kReuseBlocks || size > kBlockSize) {
        ::operator delete(block);
        return;
    }
    spares = new (block) SpareBlock{spares};
    ++spareCount;
}

std::size_t EffectMemory::spareBlocks()
{
    return spareCount;
}

bool EffectMemory::reusesBlocks()
{
    return kReuseBlocks;
}
