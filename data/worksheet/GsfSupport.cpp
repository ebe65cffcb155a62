#include "worksheet/GsfSupport.h"

#include <QFile>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-input-gzip.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-proxy.h>
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

void readyLibgsf()
{
    static const bool once = [] {
        // The library registers each of its types the first time it is asked for it, unguarded: two imports that
        // open their first workbooks at the same moment would register one type twice. Asked here, once for all.
        gsf_init();
        g_type_ensure(gsf_input_stdio_get_type());
        g_type_ensure(gsf_input_memory_get_type());
        g_type_ensure(gsf_input_proxy_get_type()); // what the containers hand out as their parts
        g_type_ensure(gsf_input_gzip_get_type());
        g_type_ensure(gsf_infile_msole_get_type());
        g_type_ensure(gsf_infile_zip_get_type());
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

QString fileErrorText(const GError* error)
{
    if (!error || error->domain != G_FILE_ERROR)
        return QStringLiteral("系统无法读取它");
    switch (error->code) {
    case G_FILE_ERROR_ACCES:
    case G_FILE_ERROR_PERM:
        return QStringLiteral("没有读取这个文件的权限");
    case G_FILE_ERROR_NOENT:
        return QStringLiteral("文件不存在");
    case G_FILE_ERROR_ISDIR:
        return QStringLiteral("这是一个文件夹，不是文件");
    case G_FILE_ERROR_NAMETOOLONG:
        return QStringLiteral("文件名太长");
    case G_FILE_ERROR_NOMEM:
        return QStringLiteral("内存不足");
    case G_FILE_ERROR_IO:
        return QStringLiteral("读盘出错");
    default:
        return QStringLiteral("系统无法读取它（错误 %1）").arg(error->code);
    }
}

InputPtr openFile(const QString& path, QString& reason)
{
    readyLibgsf();
#ifdef Q_OS_WIN
    const QByteArray fileName = path.toUtf8(); // GLib takes UTF-8 file names on Windows
#else
    const QByteArray fileName = QFile::encodeName(path);
#endif
    GError* rawError = nullptr;
    InputPtr input(gsf_input_stdio_new(fileName.constData(), &rawError));
    const ErrorPtr error(rawError);
    // The library's own text is English and repeats the path: the clerk reads why, in Chinese.
    if (!input)
        reason = fileErrorText(error.get());
    return input;
}

} // namespace data::gsf
