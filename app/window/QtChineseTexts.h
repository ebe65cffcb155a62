#pragma once
// Qt's own texts in the window's dialogs ("OK", "Show Details...", the file dialog's labels) in Simplified
// Chinese, like the rest of the window, whatever the desktop's language. Quietly does nothing where Qt's
// translations are not installed.

void installQtChineseTexts();
