#include "bus/busscan.h"

#include "bus/boardcommands.h"
#include "bus/hexvalue.h"
#include "bus/replyreaders.h"
#include "serial/tcom.h"

#include <algorithm>

namespace {

// A bus address is one byte: a range text naming more never probes past FF.
constexpr int HighestAddress = 0xFF;
// Where reading a long range text stops growing, so no text overflows the value.
constexpr int RangeValueCeiling = 0xFFFF;

// A list line keeps its seven positions even where a character never came: other code
// reads the address and the type by position, and a NUL would end the shown text early.
QByteArray fixedWidth(QByteArray text, qsizetype width)
{
    text = text.left(width);
    text.replace('\0', ' ');
    return text.leftJustified(width, ' ');
}

void send(TCom &com, const QByteArray &command)
{
    com.comSendString(command.constData());
}

} // namespace

int scanAddressValue(const QString &text)
{
    return int(std::min<quint32>(leadingHexValue(text), RangeValueCeiling));
}

QString BoardListEntry(const QByteArray &addressPart, const QByteArray &type)
{
    const QByteArray shownType = isEmptyReply(type) ? QByteArrayLiteral("XXXX") : fixedWidth(type, 4);
    return QString::fromLatin1(fixedWidth(addressPart, 2) + ' ' + shownType);
}

QStringList scanAddresses(TCom &com, int first, const std::function<int()> &last, const ScanCallbacks &callbacks)
{
    QStringList entries;
    for (int address = std::max(first, 0); address <= HighestAddress; ++address) {
        if (callbacks.cancelled && callbacks.cancelled())
            break;
        if (address > last())
            break;

        send(com, BoardCommands::addressBoard(address));
        // One read decides: an empty address costs a single time-out, not four.
        const char presence = com.comRxChar();
        if (callbacks.probing)
            callbacks.probing(address);
        if (presence == '\0')
            continue;

        QByteArray addressPart(1, presence);
        addressPart += com.comRxChar();
        com.comRxChar();   // the rest of the "L" reply is not used here
        com.comRxChar();

        send(com, BoardCommands::readType());
        const QString entry = BoardListEntry(addressPart, ReadFourChars(com));
        entries << entry;
        if (callbacks.found)
            callbacks.found(entry);
    }
    return entries;
}
