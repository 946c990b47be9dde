#include "effects/EffectMemory.h"

#include <atomic>
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

// Blocks taken from the general allocator and not given back to it, in every thread.
std::atomic<std::size_t> blocksHeld{0};

// A list per thread, so that battles played side by side never share one and take no lock.
thread_local SpareBlock* spares = nullptr;  // the list of blocks waiting for an effect
thread_local std::size_t spareCount = 0;    // blocks on the list
thread_local bool threadEnding = false;     // the list went back: blocks given now go straight back

// Gives a thread's spare blocks back to the general allocator when the thread ends. An effect
// destroyed after that in the same thread (by a static or thread-local object's destructor)
// gives its block straight back too.
struct ListReturn {
    ~ListReturn()
    {
        threadEnding = true;
        while (spares != nullptr) {
            SpareBlock* next = spares->next;
            ::operator delete(spares);
            blocksHeld.fetch_sub(1, std::memory_order_relaxed);
            spares = next;
        }
        spareCount = 0;
    }
};

}  // namespace

void* EffectMemory::take(std::size_t size)
{
    if (!kReuseBlocks || size > kBlockSize) return ::operator new(size);
    if (spares == nullptr) {
        void* block = ::operator new(kBlockSize);
        blocksHeld.fetch_add(1, std::memory_order_relaxed);
        return block;
    }
    SpareBlock* block = spares;
    spares = block->next;
    --spareCount;
    return block;
}

void EffectMemory::give(void* block, std::size_t size)
{
    if (block == nullptr) return;
    if (!kReuseBlocks || size > kBlockSize || threadEnding) {
        ::operator delete(block);
        if (kReuseBlocks && size <= kBlockSize) blocksHeld.fetch_sub(1, std::memory_order_relaxed);
        return;
    }
    if (spares == nullptr) {
        static thread_local ListReturn listReturn;  // made once a thread, at its first spare block
        (void)listReturn;
    }
    spares = new (block) SpareBlock{spares};
    ++spareCount;
}

std::size_t EffectMemory::spareBlocks()
{
    return spareCount;
}

std::size_t EffectMemory::heldBlocks()
{
    return blocksHeld.load(std::memory_order_relaxed);
}

bool EffectMemory::reusesBlocks()
{
    return kReuseBlocks;
}
