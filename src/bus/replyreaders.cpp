#include "bus/replyreaders.h"

#include "serial/tcom.h"

#include <algorithm>

namespace {

// How many reads one character of a ReadReply may take; at about 105 ms a read, a silent
// board costs a ReadReply some 3.2 s.
constexpr int AttemptsPerCharacter = 30;

// The first character that arrives within the attempts, or TCom::NoChar.
int awaitCharacter(TCom &com)
{
    for (int attempt = 0; attempt < AttemptsPerCharacter; ++attempt) {
        const int c = com.comRxCharWait();
        if (c != TCom::NoChar)
            return c;
    }
    return TCom::NoChar;
}

QByteArray readSingles(TCom &com, int reads)
{
    QByteArray reply;
    reply.reserve(reads);
    for (int i = 0; i < reads; ++i)
        reply += com.comRxChar();
    return reply;
}

} // namespace

ReplyText ReadReply(TCom &com, int count)
{
    ReplyText reply;
    for (int i = 0; i < count; ++i) {
        const int c = awaitCharacter(com);
        if (c == TCom::NoChar) {
            // A board that never began to answer is given up at once; a reply that has
            // begun is awaited to its full length.
            if (reply.count == 0)
                break;
            continue;
        }
        reply.text += static_cast<char>(c);
        ++reply.count;
    }
    return reply;
}

QByteArray ReadFourChars(TCom &com)
{
    return readSingles(com, 4);
}

QByteArray ReadRegisterReply(TCom &com)
{
    return readSingles(com, 4).left(2);
}

bool isEmptyReply(const QByteArray &reply)
{
    return std::all_of(reply.cbegin(), reply.cend(), [](char c) { return c == '\0'; });
}

QString displayText(const QByteArray &reply)
{
    const qsizetype end = reply.indexOf('\0');
    return QString::fromLatin1(end < 0 ? reply : reply.left(end));
}
