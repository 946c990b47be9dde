#pragma once

#include <cstddef>

// Memory for particles and shots, which come and go by the thousand in every battle: a block
// freed by one effect goes on a list and is handed to the next effect, instead of going back
// to the general allocator every time. Each thread has a list of its own, so battles played in
// threads side by side share none; a block freed in another thread than the one it came from
// simply joins that thread's list. A list keeps as many blocks as were ever alive at once in its
// thread and gives them back to the general allocator when the thread ends (a lab's jobs end
// with their study). Under the address sanitizer every block comes from the general allocator,
// so that a use after free is still caught.
class EffectMemory {
public:
    static constexpr std::size_t kBlockSize = 96;  // bytes of a block: room for every effect

    static void* take(std::size_t size);              // a block of at least size bytes
    static void give(void* block, std::size_t size);  // a block from take, with the same size
    static std::size_t spareBlocks();                 // blocks on this thread's list, waiting for an effect
    // Blocks taken from the general allocator and not yet given back, in every thread: those of
    // the effects alive and the spare ones. None under the address sanitizer.
    static std::size_t heldBlocks();
    static bool reusesBlocks();                       // false under the address sanitizer
};
