#pragma once

#include <cstddef>

// Memory for units. A copy of a battle makes a unit for every unit of the battle and its
// destruction frees them all again, thousands at a time when both start zones are packed: a
// block freed by one unit is kept and handed to the next unit made in the same thread, instead
// of going back to the general allocator. The spare blocks are listed in an array, so that
// taking one reads the array and not the block itself, which has mostly left the caches by then:
// a copy does not wait for one block after another. Each thread has its own blocks and frees them
// when it ends; a block given back in another thread than the one it came from joins that
// thread's. Under the address sanitizer every block comes from the general allocator, so that a
// use after free is still caught.
class UnitMemory {
public:
    static constexpr std::size_t kBlockSize = 128;  // bytes of a block: room for every unit

    static void* take(std::size_t size);              // a block of at least size bytes
    static void give(void* block, std::size_t size);  // a block from take, with the same size
    static std::size_t spareBlocks();                 // blocks of this thread waiting for a unit
    static bool reusesBlocks();                       // false under the address sanitizer
};
