#pragma once
// A compact table of texts: one buffer of UTF-16 code units and an offset per text, so that a workbook with
// hundreds of thousands of strings costs little more than the characters themselves.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace data {

class StringTable
{
public:
    StringTable() { offsets_.push_back(0); }

    std::uint32_t count() const { return static_cast<std::uint32_t>(offsets_.size() - 1); }
    QString text(std::uint32_t index) const
    {
        const std::uint32_t begin = offsets_[index];
        return QString(chars_.constData() + begin, offsets_[index + 1] - begin);
    }
    QStringView view(std::uint32_t index) const
    {
        const std::uint32_t begin = offsets_[index];
        return QStringView(chars_.constData() + begin, offsets_[index + 1] - begin);
    }

    // Building: append the characters of one text, then close it.
    QString& buffer() { return chars_; }
    std::uint32_t close()
    {
        offsets_.push_back(static_cast<std::uint32_t>(chars_.size()));
        return count() - 1;
    }
    // Appends every text of other; other's text i is then text (returned value + i) here.
    std::uint32_t append(const StringTable& other)
    {
        const std::uint32_t first = count();
        const auto base = static_cast<std::uint32_t>(chars_.size());
        chars_ += other.chars_;
        for (std::size_t i = 1; i < other.offsets_.size(); ++i)
            offsets_.push_back(base + other.offsets_[i]);
        return first;
    }
    void reserve(std::size_t texts, qsizetype chars)
    {
        offsets_.reserve(texts + 1);
        chars_.reserve(chars);
    }
    void squeeze()
    {
        chars_.squeeze();
        offsets_.shrink_to_fit();
    }

private:
    QString chars_;
    std::vector<std::uint32_t> offsets_;
};

} // namespace data
