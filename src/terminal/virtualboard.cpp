#include "terminal/virtualboard.h"

std::optional<QString> VirtualBoard::step()
{
    if (!m_enabled || m_slot == 0)
        return std::nullopt;
    const char c = m_slot;
    m_slot = 0;
    return take(c);
}

std::optional<QString> VirtualBoard::take(char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))
        return digit(c);
    switch (c) {
    case 'L':
        m_index = 0;
        m_addressed = false;
        m_addressExpected = true;
        break;
    case 'R':
        m_readMode = true;
        m_modifyMode = false;
        break;
    case 'M':
        m_modifyMode = true;
        m_readMode = false;
        break;
    default: break;
    }
    m_digits.clear();
    return std::nullopt;
}

std::optional<QString> VirtualBoard::digit(char c)
{
    // Digits past the second are ignored until the next letter.
    if (m_digits.size() < 3)
        m_digits += QLatin1Char(c);
    if (m_digits.size() != 2)
        return std::nullopt;
    if (!m_addressed && m_addressExpected && m_digits == m_address) {
        m_selected = m_digits;
        m_addressed = true;
        return m_digits + m_digits;
    }
    if (!m_addressed)
        return std::nullopt;
    if (m_readMode) {
        if (m_digits == QLatin1String("5E"))
            m_index = 0;
        else if (m_digits == QLatin1String("5F"))
            m_index = 1;
        return reply();
    }
    if (m_modifyMode) {
        m_registers[size_t(m_index)] = m_digits.toInt(nullptr, 16);
        return reply();
    }
    return std::nullopt;
}

QString VirtualBoard::reply() const
{
    return QStringLiteral("%1%2").arg(m_selected, 2).arg(m_registers[size_t(m_index)], 2, 16, QLatin1Char('0')).toUpper();
}
