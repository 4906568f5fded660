#include "analogmonitor.h"

#include "app/settingsfile.h"
#include "app/settingskeys.h"

using namespace std::chrono_literals;

AnalogMonitor::AnalogMonitor(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Analog Monitor"), QStringLiteral("AnalogMonitor"), console, parent)
{
    addTimer(QStringLiteral("AnaMonTimer"), 10ms);
}

void AnalogMonitor::enter()
{
    panel()->show();
    timer()->start();
}

void AnalogMonitor::readSettings(const SettingsFile &file)
{
    m_modes.applyWords(read(file, key::A), read(file, key::B), read(file, key::C));
    m_celsius = read(file, key::TEMP) == QLatin1String("TEMP C");
}
