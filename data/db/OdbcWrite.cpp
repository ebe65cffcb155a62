#include "db/OdbcWrite.h"

#include "db/DatabaseError.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcInserts.h"

#include <sqlext.h>

namespace data {

namespace {

class OdbcWrite final : public PreparedWrite
{
public:
    OdbcWrite(SQLHDBC connection, const ParsedStatement& statement)
        : PreparedWrite(statement), connection_(connection), statement_(statement),
          handle_(prepareStatement(connection, statement.driverText(false))), indicators_(statement.occurrences.size())
    {
    }

protected:
    int write(const std::vector<BoundValue>& values) override
    {
        SQLHSTMT statement = handle_.get();
        // "?" stands once for every occurrence of a name.
        for (size_t i = 0; i < statement_.occurrences.size(); ++i) {
            const BoundValue& value = values[size_t(statement_.occurrences[i].parameter)];
            if (!SQL_SUCCEEDED(bindValue(statement, SQLUSMALLINT(i + 1), value, indicators_[i])))
                throw statementError(statement, QStringLiteral("Cannot bind a value"), connection_);
        }
        const SQLRETURN rc = SQLExecute(statement);
        // SQL_NO_DATA: a searched update that found no row.
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            const DatabaseError error =
                statementError(statement, QStringLiteral("The update was refused without a message"), connection_);
            SQLFreeStmt(statement, SQL_CLOSE);
            throw error;
        }
        SQLLEN changed = 0;
        if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(SQLRowCount(statement, &changed))) {
            const DatabaseError error =
                statementError(statement, QStringLiteral("The driver does not say how many rows changed"), connection_);
            SQLFreeStmt(statement, SQL_CLOSE);
            throw error;
        }
        SQLFreeStmt(statement, SQL_CLOSE);
        return changed > 0 ? int(changed) : 0;
    }

private:
    SQLHDBC connection_;
    ParsedStatement statement_;
    StatementHandle handle_;
    std::vector<SQLLEN> indicators_; // by occurrence
};

} // namespace

std::unique_ptr<PreparedWrite> makeOdbcWrite(SQLHDBC connection, const ParsedStatement& statement)
{
    return std::make_unique<OdbcWrite>(connection, statement);
}

} // namespace data
