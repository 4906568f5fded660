#pragma once

#include "workspace/settingsowner.h"

#include <QObject>

class Console;
class QLineEdit;
class QWidget;
class ScanRange;

// The "Scan Defaults" page of the Configuration workspace: the first and the last address
// a scan probes (FSCANADR, LSCANADR), saved as "FirstAddr" and "LastAddr" when changed. The
// scans read the range from the ScanRange it keeps up to date.
class ScanDefaults : public QObject, public SettingsOwner
{
    Q_OBJECT
public:
    // Builds the page's controls on page.
    ScanDefaults(Console &console, ScanRange &range, QWidget *page, QObject *parent = nullptr);

    // Start-up: "LastAddr" into LSCANADR, then "FirstAddr" into FSCANADR (nothing is written
    // or corrected before the settings are loaded).
    void readSettings(const SettingsFile &file) override;

    // What the updater's range choosers do: put a text into an edit, with its effects.
    void setFirstText(const QString &text);
    void setLastText(const QString &text);

    void FSCANADRChange();
    void LSCANADRChange();

private:
    Console &m_console;
    ScanRange &m_range;
    QLineEdit *m_first = nullptr;   // FSCANADR
    QLineEdit *m_last = nullptr;    // LSCANADR
};
