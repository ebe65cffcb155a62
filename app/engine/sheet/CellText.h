#pragma once
// A cell's text as the import reads it: trimmed of the blanks and control characters a sheet leaves around it.

#include <QString>

namespace importer {

// Removes every character at or below U+0020 at both ends (the full-width blank stays).
QString trimControls(const QString& text);
// The same, to text itself.
void trimControlsInPlace(QString& text);

} // namespace importer
