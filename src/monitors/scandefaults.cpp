#include "monitors/scandefaults.h"

#include "monitors/monitorstate.h"
#include "monitors/monitorwidgets.h"
#include "workspace/console.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit *addressEdit(const char *name, const QString &caption, QWidget *parent, int y)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(16, y, 200, 24);
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(220, y, 44, 24);
    edit->setMaxLength(2);
    edit->setFont(MonitorLook::terminalFont(11));
    MonitorLook::makeUpperCase(edit);
    return edit;
}

} // namespace

ScanDefaults::ScanDefaults(Console &console, ScanRange &range, QWidget *page, QObject *parent)
    : QObject(parent), m_console(console), m_range(range)
{
    auto *group = new QGroupBox(QStringLiteral("Bus Scan"), page);
    group->setGeometry(16, 16, 300, 104);
    m_first = addressEdit("FSCANADR", QStringLiteral("FIRST ADDRESS TO SCAN"), group, 28);
    m_last = addressEdit("LSCANADR", QStringLiteral("LAST ADDRESS TO SCAN"), group, 62);
    m_first->setText(range.firstText());
    m_last->setText(range.lastText());
    connect(m_first, &QLineEdit::textChanged, this, &ScanDefaults::FSCANADRChange);
    connect(m_last, &QLineEdit::textChanged, this, &ScanDefaults::LSCANADRChange);
}

void ScanDefaults::readSettings(const SettingsFile &file)
{
    m_last->setText(read(file, key::LastAddr));
    m_first->setText(read(file, key::FirstAddr));
}

void ScanDefaults::setFirstText(const QString &text)
{
    m_first->setText(text);
}

void ScanDefaults::setLastText(const QString &text)
{
    m_last->setText(text);
}

void ScanDefaults::FSCANADRChange()
{
    const QString text = m_first->text();
    m_range.setFirstText(text);
    if (!m_console.settingsLoaded())
        return;
    if (!m_console.saveSettings([&](SettingsFile &file) { write(file, key::FirstAddr, text); }))
        return;
    if (m_range.last() < m_range.first())
        m_last->setText(text);
}

void ScanDefaults::LSCANADRChange()
{
    const QString text = m_last->text();
    m_range.setLastText(text);
    if (!m_console.settingsLoaded())
        return;
    m_console.saveSettings([&](SettingsFile &file) { write(file, key::LastAddr, text); });
}
