#pragma once
// The report for an error that no handler of the window dealt with: its text in an error box, captioned with the
// program's name, after which the window goes on.

#include <QString>

class QWidget;
class WindowDialogs;

// The text with a "." appended, unless it already ends in a character at or before "." (a full stop, a blank,
// a line end, ...).
QString defaultErrorText(const QString& message);

// The program file's name without its extension.
QString applicationTitle();

void reportEscapedError(WindowDialogs& dialogs, QWidget* owner, const QString& message);
