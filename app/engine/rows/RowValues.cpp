#include "engine/rows/RowValues.h"

#include <algorithm>
#include <stdexcept>

namespace importer {

RowValues::RowValues(const data::CpxmRow& values)
    : RowValues(std::make_shared<data::BoundValue[]>(values.size()), 0, values.size())
{
    std::copy(values.begin(), values.end(), data());
}

const data::BoundValue& RowValues::at(std::size_t i) const
{
    if (i >= count_)
        throw std::out_of_range("RowValues::at");
    return data()[i];
}

ValueSlabs::ValueSlabs(std::size_t rowsPerSlab)
    : rowsPerSlab_(rowsPerSlab > 0 ? rowsPerSlab : 1), returned_(std::make_shared<Returned>())
{
}

std::shared_ptr<data::BoundValue[]> ValueSlabs::freshSlab(std::size_t capacity)
{
    std::unique_ptr<data::BoundValue[]> slab;
    {
        const std::lock_guard<std::mutex> hold(returned_->lock);
        auto& slabs = returned_->slabs;
        const auto fits = std::find_if(slabs.begin(), slabs.end(), [&](const auto& s) { return s.second == capacity; });
        if (fits != slabs.end()) {
            slab = std::move(fits->first);
            slabs.erase(fits);
        }
    }
    if (slab) {
        // Moved over, not copied: the last release of a text the writing thread shared is then seen for what it is
        // (the inline release of the count), also by ThreadSanitizer.
        for (std::size_t i = 0; i < capacity; ++i)
            slab[i] = data::BoundValue{};
    } else {
        slab = std::make_unique<data::BoundValue[]>(capacity);
    }
    // Given back when its last row goes; freed with the rest when this ValueSlabs and every slab are gone.
    return std::shared_ptr<data::BoundValue[]>(slab.release(),
                                               [returned = returned_, capacity](data::BoundValue* values) {
                                                   std::unique_ptr<data::BoundValue[]> back(values);
                                                   try {
                                                       const std::lock_guard<std::mutex> hold(returned->lock);
                                                       returned->slabs.emplace_back(std::move(back), capacity);
                                                   } catch (...) {
                                                       // No room to keep it: freed here after all.
                                                   }
                                               });
}

RowValues ValueSlabs::take(std::size_t count)
{
    if (capacity_ - used_ < count) {
        capacity_ = rowsPerSlab_ * count;
        slab_ = freshSlab(capacity_);
        used_ = 0;
    }
    RowValues values(slab_, used_, count);
    used_ += count;
    return values;
}

} // namespace importer
