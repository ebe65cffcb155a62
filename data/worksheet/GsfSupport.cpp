#include "GsfSupport.h"

#include <QFile>

#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

namespace data::gsf {

namespace {

void drop(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

QString describe(const GError* error)
{
    return error && error->message ? QString::fromUtf8(error->message) : QString();
}

void silenceLibgsf()
{
    static const bool once = [] {
        g_log_set_handler("libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_MASK), drop, nullptr);
        g_log_set_handler("libgsf:zip", GLogLevelFlags(G_LOG_LEVEL_MASK), drop, nullptr);
        g_log_set_handler("libgsf:open_pkg", GLogLevelFlags(G_LOG_LEVEL_MASK), drop, nullptr);
        g_log_set_handler("libgsf", GLogLevelFlags(G_LOG_LEVEL_MASK), drop, nullptr);
        return true;
    }();
    (void)once;
}

QuietUnnamedLogDomain::QuietUnnamedLogDomain()
    : id_(g_log_set_handler(nullptr, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE), drop, nullptr))
{
}

QuietUnnamedLogDomain::~QuietUnnamedLogDomain()
{
    g_log_remove_handler(nullptr, id_);
}

InputPtr openFile(const QString& path, QString& reason)
{
#ifdef Q_OS_WIN
    const QByteArray fileName = path.toUtf8(); // GLib takes UTF-8 file names on Windows
#else
    const QByteArray fileName = QFile::encodeName(path);
#endif
    GError* rawError = nullptr;
    InputPtr input(gsf_input_stdio_new(fileName.constData(), &rawError));
    const ErrorPtr error(rawError);
    if (!input)
        reason = describe(error.get());
    return input;
}

} // namespace data::gsf
