#pragma once
// The values of a product row for the store, in the insert's order (the twenty columns, then the run's further
// ones), kept in a slab that a block of rows shares: the rows of a block take their values with one allocation
// instead of one a row, and the slab goes when its last row does (a row outlives its block until its batch is
// sent). The slabs of rows sent make room for the next ones: the memory is used again rather than touched anew.

#include "store/CpxmColumns.h"

#include <cstddef>
#include <memory>

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

// Hands out the values of one row after another from slabs of a block's rows each; one per making thread.
class ValueSlabs
{
public:
    explicit ValueSlabs(std::size_t rowsPerSlab) : rowsPerSlab_(rowsPerSlab > 0 ? rowsPerSlab : 1) {}

    // count values, each as a default BoundValue.
    RowValues take(std::size_t count);

private:
    std::size_t rowsPerSlab_;
    std::shared_ptr<data::BoundValue[]> slab_;
    std::size_t used_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace importer
