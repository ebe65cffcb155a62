#pragma once
// What a run does with a sheet row whose product the store holds already, and with a code the sheet repeats: the
// clerk's choices, as the command line and product-import.ini spell them.

#include <QString>
#include <QStringList>

#include <optional>

namespace importer {

enum class ExistingChoice {
    Add,    // a new product under the run's letter, as every run did before
    Skip,   // left as it is, counted as already there
    Update, // the stored product takes the sheet's values
};

enum class RepeatChoice {
    Fail,  // a row repeating an earlier row's code fails, with the row of the first
    Merge, // its stock is added to the product of the first
};

// "add", "skip", "update"; "fail", "merge".
QString choiceName(ExistingChoice choice);
QString choiceName(RepeatChoice choice);
// The names in order, for a usage message.
QStringList existingChoiceNames();
QStringList repeatChoiceNames();
// Nothing for a name that is none of them (case counts).
std::optional<ExistingChoice> existingChoiceNamed(const QString& name);
std::optional<RepeatChoice> repeatChoiceNamed(const QString& name);

} // namespace importer
