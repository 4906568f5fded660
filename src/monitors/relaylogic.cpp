#include "monitors/relaylogic.h"

#include "bus/hexvalue.h"

namespace Relay {

std::array<bool, Count> relayStates(const QByteArray &stateText)
{
    const quint32 word = leadingHexValue(QString::fromLatin1(stateText));
    std::array<bool, Count> on{};
    for (int relay = 1; relay <= Count; ++relay)
        on[size_t(relay - 1)] = (word >> (16 - relay)) & 1u;
    return on;
}

int relayOfDigit(int digit)
{
    return digit == 0 ? Count : digit;
}

QString startButtonName(int relay)
{
    static const char *const names[Count] = {"Button30", "Button31", "Button32", "Button33", "Button7",
                                             "Button8",  "Button26", "Button27", "Button28", "Button29"};
    return QString::fromLatin1(names[relay - 1]);
}

} // namespace Relay
