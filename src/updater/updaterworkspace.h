#pragma once

#include "workspace/panelworkspace.h"
#include "updater/updatersettings.h"

// The Flash Updater workspace: loads firmware into a board through its resident loader.
class UpdaterWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit UpdaterWorkspace(Console &console, QObject *parent = nullptr);

    void enter() override;

    UpdaterSettings &settings() { return m_settings; }
    const UpdaterSettings &settings() const { return m_settings; }

    // A download in progress keeps the workspace in front.
    bool DownloadInProgress = false;

    // The updater's port label shows the main port's name.
    void setPortText(const QString &text) { m_portText = text; }
    QString portText() const { return m_portText; }

    // The ports the last enumeration could open ("COM1", "COM3", ...).
    void setAvailablePorts(const QStringList &ports) { m_availablePorts = ports; }
    QStringList availablePorts() const { return m_availablePorts; }

private:
    UpdaterSettings m_settings;
    QString m_portText;
    QStringList m_availablePorts;
};
