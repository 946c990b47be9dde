#include "units/UnitMemory.h"

#include <new>
#include <vector>

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

// Set when this thread's spare blocks have been freed, at its end: a unit destroyed after that
// (a battle of the program's own lifetime) frees its block at once.
thread_local bool sparesFreed = false;

// The spare blocks of one thread, freed with it.
struct SpareBlocks {
    ~SpareBlocks()
    {
        for (void* block : blocks) ::operator delete(block);
        sparesFreed = true;
    }
    std::vector<void*> blocks;  // the last given back is taken first
};

thread_local SpareBlocks spares;

}  // namespace

void* UnitMemory::take(std::size_t size)
{
    if (!kReuseBlocks || size > kBlockSize) return ::operator new(size);
    if (sparesFreed || spares.blocks.empty()) return ::operator new(kBlockSize);
    void* block = spares.blocks.back();
    spares.blocks.pop_back();
    return block;
}

void UnitMemory::give(void* block, std::size_t size)
{
    if (block == nullptr) return;
    if (!kReuseBlocks || size > kBlockSize || sparesFreed) {
        ::operator delete(block);
        return;
    }
    try {
        spares.blocks.push_back(block);
    } catch (const std::bad_alloc&) {
        ::operator delete(block);  // no room to list it
    }
}

std::size_t UnitMemory::spareBlocks()
{
    return sparesFreed ? 0 : spares.blocks.size();
}

bool UnitMemory::reusesBlocks()
{
    return kReuseBlocks;
}
