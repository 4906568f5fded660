#pragma once

#include "boardsim/responder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace boardsim {

// C-style escapes of the script file: \r \n \t \0 \\ and \xNN (exactly two hex digits).
// Any other backslash sequence is an error, so a typo never turns into a wrong byte.
std::optional<QByteArray> unescapeBytes(QByteArrayView text);

// The script file: one "request => reply" pair per line, in the order they are played.
// Both sides are trimmed of blanks and then unescaped, so a blank at either end is
// written \x20; the first "=>" separates. Empty lines and lines starting with '#' are
// skipped; the reply may be empty, the request may not. On an error returns nothing and
// sets error to a message naming the line.
std::optional<QList<ScriptStep>> parseScript(QByteArrayView text, QString *error = nullptr);

} // namespace boardsim
