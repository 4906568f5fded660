#pragma once

#include <QByteArray>

class TCom;

// The three reply readers every caller uses. They run on the line thread.

struct ReplyText
{
    QByteArray text;   // the characters that arrived
    int count = 0;     // how many
};

// Up to count characters, each awaited by up to 30 comRxCharWait calls. Stops at once when
// the first character never comes; once a reply has begun every missing character still
// costs its 30 attempts.
ReplyText ReadReply(TCom &com, int count);

// Four comRxChar calls, all kept (NUL where nothing arrived).
QByteArray ReadFourChars(TCom &com);

// Four comRxChar calls; the first two are the reply, the other two are dropped.
QByteArray ReadRegisterReply(TCom &com);

// A reply is empty when it holds nothing but NUL characters.
bool isEmptyReply(const QByteArray &reply);
// What a display field shows of a reply: the text up to its first NUL.
QString displayText(const QByteArray &reply);
