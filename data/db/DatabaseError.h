#pragma once
// The one exception type of the store access layer: it carries the driver's own message, the driver's own code
// (an SQLite result code name or an SQLSTATE) and what the refusal means for an import: a fault of one row, or a
// fault of the store itself that no later row can get past. Every raise says which: the layer's own errors (not
// connected, a statement it cannot run) are faults of the store, never of a row.

#include <QString>

#include <stdexcept>

namespace data {

enum class Fault {
    Row,   // the store refused this row's values (a constraint, a value too big or of the wrong kind)
    Store, // the store cannot take any row now (locked, read-only, full, broken, gone, a table that does not fit)
};

class DatabaseError : public std::runtime_error
{
public:
    DatabaseError(const QString& message, Fault fault, const QString& code = QString())
        : std::runtime_error(message.toStdString()), message_(message), code_(code), fault_(fault)
    {
    }
    const QString& message() const { return message_; }
    const QString& code() const { return code_; } // empty for the layer's own errors
    Fault fault() const { return fault_; }
    bool isStoreFault() const { return fault_ == Fault::Store; }

private:
    QString message_;
    QString code_;
    Fault fault_;
};

} // namespace data
