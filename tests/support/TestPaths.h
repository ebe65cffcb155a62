#pragma once
// Where the tests find their fixtures, the shared workbook corpus and the built programs.

#include <QDir>
#include <QString>

namespace testsupport {

inline QString sourceDir()
{
    return QStringLiteral(PI_SOURCE_DIR);
}
inline QString testDataDir()
{
    return QStringLiteral(PI_TEST_DATA_DIR);
}
inline QString testData(const QString& name)
{
    return testDataDir() + QLatin1Char('/') + name;
}
// Real-world workbooks kept beside the project; tests skip, saying so, where the folder is absent.
inline QString xlsCorpusDir()
{
    return QDir::cleanPath(QStringLiteral(PI_XLS_CORPUS_DIR));
}
inline QString xlsxCorpusDir()
{
    return QDir::cleanPath(QStringLiteral(PI_XLSX_CORPUS_DIR));
}
inline QString programFolder()
{
    return QStringLiteral(PI_PROGRAM_FOLDER) + QLatin1Char('/');
}

} // namespace testsupport
