#pragma once
// The user's configuration, data and cache folders, and Qt's user settings files, moved into a temporary folder for
// the life of a test: the file dialog's history, QSettings in user scope and QStandardPaths' locations then land
// there and are removed with it, never in the settings of the person running the tests.
// Make one before the first QSettings or dialog of the test (a member of the test object does).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtGlobal>

namespace testsupport {

class PrivateUserFolders
{
public:
    PrivateUserFolders()
    {
        if (!home_.isValid())
            qFatal("cannot make a temporary folder for the test's user settings");
        const QString config = path(QStringLiteral("config"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path(QStringLiteral("cache"))));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    }
    PrivateUserFolders(const PrivateUserFolders&) = delete;
    PrivateUserFolders& operator=(const PrivateUserFolders&) = delete;

    QString root() const { return home_.path(); }

private:
    QString path(const QString& name) const
    {
        const QString folder = home_.path() + u'/' + name;
        QDir().mkpath(folder);
        return folder;
    }

    QTemporaryDir home_;
};

} // namespace testsupport
