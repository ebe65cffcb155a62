#pragma once
// The two refusals of the reader, thrown by both formats: here, so that a format's code needs nothing of the
// workbook class that opens it.

#include <QString>

#include <stdexcept>

namespace data {

// The workbook cannot be opened: missing, neither a compound file nor a workbook package, encrypted, a binary or
// strict-namespace package, no workbook inside, damaged.
class WorkbookError : public std::runtime_error
{
public:
    explicit WorkbookError(const QString& reason) : std::runtime_error(reason.toStdString()), reason_(reason) {}
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// A worksheet cannot be read as asked: no sheet of that name, a missing column header, a damaged sheet.
class SheetError : public std::runtime_error
{
public:
    enum class Kind {
        Unreadable,  // damaged, or cannot be read as asked
        NoSuchSheet, // the workbook has no sheet of that name: the name is what to check
    };
    explicit SheetError(const QString& reason, Kind kind = Kind::Unreadable)
        : std::runtime_error(reason.toStdString()), reason_(reason), kind_(kind)
    {
    }
    const QString& reason() const { return reason_; }
    Kind kind() const { return kind_; }

private:
    QString reason_;
    Kind kind_;
};

} // namespace data
