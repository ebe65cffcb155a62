#include "worksheet/xls/CompoundFile.h"

#include "worksheet/GsfSupport.h"
#include "worksheet/ReadableFormats.h"
#include "worksheet/WorkbookErrors.h"

#include <QFileInfo>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <memory>

namespace data::biff {

using gsf::describe;
using gsf::ErrorPtr;
using gsf::InfilePtr;
using gsf::InputPtr;

namespace {

// Excel 2.x to 4.x wrote a bare BIFF stream, not a compound file; it starts with its BOF record.
bool isBareBiffStream(GsfInput* input)
{
    guint8 start[4];
    if (gsf_input_size(input) < 4 || gsf_input_seek(input, 0, G_SEEK_SET) || !gsf_input_read(input, 4, start) ||
        gsf_input_seek(input, 0, G_SEEK_SET))
        return false;
    return (start[0] == 0x09 && (start[1] == 0x00 || start[1] == 0x02 || start[1] == 0x04 || start[1] == 0x08)) &&
           start[3] == 0x00 && start[2] >= 4 && start[2] <= 20;
}

bool hasCompoundFileSignature(GsfInput* input)
{
    guint8 signature[8];
    if (gsf_input_size(input) < 8 || gsf_input_seek(input, 0, G_SEEK_SET) || !gsf_input_read(input, 8, signature) ||
        gsf_input_seek(input, 0, G_SEEK_SET))
        return false;
    static constexpr guint8 kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return std::equal(signature, signature + 8, kSignature);
}

WorkbookStream readFromContainer(InputPtr input, const QString& what)
{
    gsf::readyLibgsf();
    const gsf::QuietUnnamedLogDomain quiet;
    const bool signature = hasCompoundFileSignature(input.get());
    if (!signature && isBareBiffStream(input.get())) {
        throw WorkbookError(QStringLiteral("“%1”是 Excel 2.x-4.x 的工作表，不支持。").arg(what) +
                            saveAsReadableFormat());
    }
    GError* rawError = nullptr;
    InfilePtr container(gsf_infile_msole_new(input.get(), &rawError));
    const ErrorPtr error(rawError);
    if (!container && signature) {
        throw WorkbookError(QStringLiteral("“%1”已损坏：文件结构（OLE2 复合文档）不完整或有错（%2），无法读取。")
                                .arg(what, describe(error.get())));
    }
    if (!container) {
        throw WorkbookError(QStringLiteral("“%1”不是本程序能读取的表格文件。").arg(what) + saveAsReadableFormat());
    }

    // Excel 97 and later write "Workbook", Excel 5/95 "Book"; some writers change the case.
    int workbookIndex = -1;
    int bookIndex = -1;
    const int children = gsf_infile_num_children(container.get());
    for (int i = 0; i < children; ++i) {
        const char* name = gsf_infile_name_by_index(container.get(), i);
        if (!name)
            continue;
        const QString childName = QString::fromUtf8(name);
        if (workbookIndex < 0 && childName.compare(u"Workbook", Qt::CaseInsensitive) == 0)
            workbookIndex = i;
        else if (bookIndex < 0 && childName.compare(u"Book", Qt::CaseInsensitive) == 0)
            bookIndex = i;
    }
    if (workbookIndex < 0 && bookIndex < 0) {
        // Excel 2007 and later keep a workbook with an opening password as an encrypted package in a compound file.
        const InputPtr encryptedPackage(gsf_infile_child_by_name(container.get(), "EncryptedPackage"));
        const InputPtr encryptionInfo(gsf_infile_child_by_name(container.get(), "EncryptionInfo"));
        if (encryptedPackage || encryptionInfo) {
            throw WorkbookError(QStringLiteral("“%1”设有打开密码（已加密），无法读取。请在 Excel 中取消密码后另存，"
                                               "再导入。")
                                    .arg(what));
        }
        throw WorkbookError(QStringLiteral("“%1”是复合文档，但其中没有 Excel 工作簿数据（可能是 Word 等其他 Office "
                                           "文件）。")
                                .arg(what) +
                            saveAsReadableFormat());
    }

    WorkbookStream result;
    result.excel5Name = workbookIndex < 0;
    InputPtr stream(gsf_infile_child_by_index(container.get(), workbookIndex >= 0 ? workbookIndex : bookIndex));
    if (!stream)
        throw WorkbookError(QStringLiteral("“%1”的工作簿数据无法读取，文件可能已损坏。").arg(what));
    const gsf_off_t size = gsf_input_size(stream.get());
    const gsf_off_t containerSize = gsf_input_size(input.get());
    // A stream cannot hold more than its file; a larger size comes from a damaged directory.
    if (size < 0 || size > containerSize || size > 0x7FFFFFF0)
        throw WorkbookError(QStringLiteral("“%1”的工作簿数据大小不对，文件已损坏。").arg(what));
    result.bytes.resize(static_cast<qsizetype>(size));
    if (size > 0 &&
        !gsf_input_read(stream.get(), static_cast<size_t>(size), reinterpret_cast<guint8*>(result.bytes.data())))
        throw WorkbookError(QStringLiteral("“%1”的工作簿数据读不完整，文件已损坏。").arg(what));
    return result;
}

} // namespace

WorkbookStream readWorkbookStream(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw WorkbookError(QStringLiteral("文件“%1”不存在。").arg(path));
    if (!info.isFile())
        throw WorkbookError(QStringLiteral("“%1”不是文件。").arg(path));

    QString reason;
    InputPtr input = gsf::openFile(path, reason);
    if (!input)
        throw WorkbookError(QStringLiteral("文件“%1”无法打开：%2").arg(path, reason));
    return readFromContainer(std::move(input), info.fileName());
}

WorkbookStream readWorkbookStream(const QByteArray& fileBytes)
{
    gsf::readyLibgsf();
    InputPtr input(
        gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.constData()), fileBytes.size(), FALSE));
    if (!input)
        throw WorkbookError(QStringLiteral("空文件不是 Excel 工作簿。"));
    return readFromContainer(std::move(input), QStringLiteral("(内存)"));
}

} // namespace data::biff
