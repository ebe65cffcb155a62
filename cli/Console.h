#pragma once
// The streams a verb talks through: the process's own in the program, strings in the tests.

#include <QTextStream>

namespace cli {

struct Console
{
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
    bool errIsTerminal = false; // progress may be drawn on err
};

} // namespace cli
