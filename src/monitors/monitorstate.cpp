#include "monitors/monitorstate.h"

#include "bus/busscan.h"

void ScanRange::setFirstText(const QString &text)
{
    m_first = text;
}

void ScanRange::setLastText(const QString &text)
{
    m_last = text;
    m_lastValue->store(scanAddressValue(text), std::memory_order_relaxed);
}

int ScanRange::first() const
{
    return scanAddressValue(m_first);
}

int ScanRange::last() const
{
    return scanAddressValue(m_last);
}

std::function<int()> ScanRange::liveLast() const
{
    return [value = m_lastValue] { return value->load(std::memory_order_relaxed); };
}
