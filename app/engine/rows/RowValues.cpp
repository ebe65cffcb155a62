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

RowValues ValueSlabs::take(std::size_t count)
{
    if (capacity_ - used_ < count) {
        capacity_ = rowsPerSlab_ * count;
        slab_ = std::make_shared<data::BoundValue[]>(capacity_);
        used_ = 0;
    }
    RowValues values(slab_, used_, count);
    used_ += count;
    return values;
}

} // namespace importer
