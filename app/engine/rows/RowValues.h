#pragma once
// The values of a product row for the store, in the insert's order (the twenty columns, then the run's further
// ones), kept in a slab that a block of rows shares: the rows of a block take their values with one allocation
// instead of one a row, and the slab goes when its last row does (a row outlives its block until its batch is
// sent). The slabs of rows sent make room for the next ones: the memory is used again rather than touched anew.

#include "store/CpxmColumns.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace importer {

class RowValues
{
public:
    RowValues() = default;
    // The values in a slab of their own.
    explicit RowValues(const data::CpxmRow& values);
    // count values of the slab from first on.
    RowValues(const std::shared_ptr<data::BoundValue[]>& slab, std::size_t first, std::size_t count)
        : first_(slab, slab.get() + first), count_(count)
    {
    }

    std::size_t size() const { return count_; }
    data::BoundValue* data() { return first_.get(); }
    const data::BoundValue* data() const { return first_.get(); }
    data::BoundValue& operator[](std::size_t i) { return data()[i]; }
    const data::BoundValue& operator[](std::size_t i) const { return data()[i]; }
    const data::BoundValue& at(std::size_t i) const;
    const data::BoundValue& front() const { return data()[0]; }
    const data::BoundValue* begin() const { return data(); }
    const data::BoundValue* end() const { return data() + count_; }

private:
    std::shared_ptr<data::BoundValue> first_; // shares the ownership of the slab it points into
    std::size_t count_ = 0;
};

// Hands out the values of one row after another from slabs of a block's rows each; one per making thread. A slab
// whose last row is gone comes back here instead of being freed where that happened (on the writing thread, which
// sets the pace of a run): the making thread clears it and fills it again, so the texts of its rows are freed, and
// the slab reused, on the thread that made them.
class ValueSlabs
{
public:
    explicit ValueSlabs(std::size_t rowsPerSlab);

    // count values, each as a default BoundValue.
    RowValues take(std::size_t count);

private:
    struct Returned // slabs given back, with their sizes; outlives the ValueSlabs while slabs are out
    {
        std::mutex lock;
        std::vector<std::pair<std::unique_ptr<data::BoundValue[]>, std::size_t>> slabs;
    };

    std::shared_ptr<data::BoundValue[]> freshSlab(std::size_t capacity);

    std::size_t rowsPerSlab_;
    std::shared_ptr<Returned> returned_;
    std::shared_ptr<data::BoundValue[]> slab_;
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace importer
