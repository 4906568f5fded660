#pragma once

#include "updater/updatersettings.h"
#include "workspace/panelworkspace.h"

// The Flash Updater workspace: loads firmware into a board through its resident loader.
// The status bar's progress panel shows while it is in front.
class UpdaterWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit UpdaterWorkspace(Console &console, QObject *parent = nullptr);

    void enter() override;
    QRect panelGeometry() const override { return {5, 24, 896, 567}; }
    // A download in progress keeps the workspace in front.
    bool keepsFront() const override { return DownloadInProgress; }
    bool showsProgressPanel() const override { return true; }

    // Start-up: the rate buttons and the firmware folder; once the settings are loaded,
    // the programming port. Closing: the two rates and the firmware folder.
    void readSettings(const SettingsFile &file) override;
    void readAfterLoaded(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;

    // The updater's port label shows the main port's name.
    void portFieldChanged(const QString &text) override { m_portText = text; }
    // The ports the last enumeration could open.
    void portsEnumerated(const QStringList &ports) override { m_availablePorts = ports; }

    const UpdaterSettings &settings() const { return m_settings; }
    QString portText() const { return m_portText; }
    QStringList availablePorts() const { return m_availablePorts; }

    bool DownloadInProgress = false;

private:
    UpdaterSettings m_settings;
    QString m_portText;
    QStringList m_availablePorts;
};
