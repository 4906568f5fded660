#include "boardsim/scriptfile.h"

namespace boardsim {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<QByteArray> unescapeBytes(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case '0': bytes += '\0'; break;
        case '\\': bytes += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return bytes;
}

std::optional<QList<ScriptStep>> parseScript(QByteArrayView text, QString *error)
{
    const auto fail = [error](int line, const char *what) -> std::optional<QList<ScriptStep>> {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line).arg(QLatin1StringView(what));
        return std::nullopt;
    };

    QList<ScriptStep> steps;
    int lineNumber = 0;
    for (QByteArrayView rest = text; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        ++lineNumber;

        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype arrow = line.indexOf("=>");
        if (arrow < 0)
            return fail(lineNumber, "no \"=>\" between request and reply");
        const auto request = unescapeBytes(line.first(arrow).trimmed());
        const auto reply = unescapeBytes(line.sliced(arrow + 2).trimmed());
        if (!request || !reply)
            return fail(lineNumber, "bad escape (use \\r \\n \\t \\0 \\\\ or \\xNN)");
        if (request->isEmpty())
            return fail(lineNumber, "empty request");
        steps.append({*request, *reply});
    }
    return steps;
}

} // namespace boardsim
