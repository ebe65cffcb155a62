#pragma once
// The one exception type of the store access layer: it carries the driver's own message.

#include <QString>

#include <stdexcept>

namespace data {

class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace data
