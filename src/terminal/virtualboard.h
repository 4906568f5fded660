#pragma once

#include <QString>

#include <array>
#include <optional>

// The virtual board: it watches what is typed and answers, as a board at its address
// would, the select ("L"), read ("R") and modify ("M") commands for its two registers.
// Nothing goes on the line; the replies are only shown.
class VirtualBoard
{
public:
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled; }
    void setAddress(const QString &address) { m_address = address; }

    // The one-character slot: a typed character waits here for the next step, replacing
    // one not yet taken.
    void put(char c) { m_slot = c; }
    // Takes the character in the slot, if any, and returns the reply to show, if any.
    std::optional<QString> step();

    // What the board answers to one character.
    std::optional<QString> take(char c);

private:
    std::optional<QString> digit(char c);
    QString reply() const;

    bool m_enabled = false;
    QString m_address = QStringLiteral("80");
    char m_slot = 0;
    QString m_digits;
    bool m_addressed = false;
    bool m_addressExpected = false;
    bool m_readMode = false;
    bool m_modifyMode = false;
    int m_index = 0;
    std::array<int, 2> m_registers{0, 0};
    QString m_selected;
};
