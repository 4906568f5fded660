#pragma once

#include <QString>

// A text read as a hexadecimal number the way fields, replies and scan ranges are read: its
// leading hexadecimal digits (either case), or 0 when it starts with none. Digits past the
// eighth are ignored, so no text overflows.
quint32 leadingHexValue(const QString &text);
