#pragma once

#include <QString>
#include <QStringView>

namespace linkwell::cli {

// Text that came from an input, made safe for a terminal and for line-based
// output: a control character is written as an escape (\t, \n, \r, \x1b),
// and so are the invisible characters that reorder or break a line
// (\u{202E}), so nothing printed can move the cursor, recolour the terminal
// or split one entry over two lines.
QString printable(QStringView text);

// A piece of an input quoted in a message: printable, and cut to `limit`
// characters with "..." after it, so a long line stays one line.
QString quoted(QStringView text, qsizetype limit = 80);

} // namespace linkwell::cli
