#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

class Entity;

// Units of a battlefield in the order of one of its lists (the units, the bases): each entry of
// the list is a slot of the battlefield's table of units, and the range yields the unit in it.
// It reads the battlefield's lists in place, so it lasts only until a unit is registered or the
// removal sweep runs.
class UnitRange {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entity*;
        using difference_type = std::ptrdiff_t;
        using pointer = Entity* const*;
        using reference = Entity*;

        iterator() = default;
        iterator(const std::uint32_t* slot, Entity* const* table) : slot_(slot), table_(table) {}
        Entity* operator*() const { return table_[*slot_]; }
        iterator& operator++()
        {
            ++slot_;
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++slot_;
            return before;
        }
        bool operator==(const iterator& other) const { return slot_ == other.slot_; }
        bool operator!=(const iterator& other) const { return slot_ != other.slot_; }

    private:
        const std::uint32_t* slot_ = nullptr;  // the list's entry
        Entity* const* table_ = nullptr;       // the unit of each slot
    };

    UnitRange(const std::uint32_t* first, std::size_t count, Entity* const* table)
        : first_(first), count_(count), table_(table)
    {
    }

    iterator begin() const { return {first_, table_}; }
    iterator end() const { return {first_ + count_, table_}; }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    Entity* operator[](std::size_t index) const { return table_[first_[index]]; }

private:
    const std::uint32_t* first_;  // the list's first slot
    std::size_t count_;           // entries of the list
    Entity* const* table_;        // the unit of each slot
};
