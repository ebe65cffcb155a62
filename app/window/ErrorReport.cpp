#include "window/ErrorReport.h"

#include "window/WindowDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

QString defaultErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() <= u'.')
        return message;
    return message + u'.';
}

QString applicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void reportEscapedError(WindowDialogs& dialogs, QWidget* owner, const QString& message)
{
    dialogs.showError(owner, applicationTitle(), defaultErrorText(message));
}
