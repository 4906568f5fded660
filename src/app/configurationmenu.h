#pragma once

#include "workspace/panelworkspace.h"
#include "serial/linesettings.h"
#include "app/workspacetabs.h"

#include <array>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QRadioButton;
class QTabBar;
class SettingsFile;

// The Configuration Menu workspace: five pages behind a tab strip of their own. Always
// present in the workspace strip. This object owns the start-tab choice, the hide boxes
// and the communication choices; the other pages belong to the workspaces they set up.
class ConfigurationMenu : public PanelWorkspace
{
    Q_OBJECT
public:
    explicit ConfigurationMenu(Console &console, QObject *parent = nullptr);

    void enter() override;
    QRect panelGeometry() const override { return {4, 24, 897, 567}; }

    QWidget *page(int index) const;   // ConfigPanel1..5 by page index 0..4

    // Start-up: the hide boxes, the power boxes, the flow choice (the handlers stay quiet
    // until the settings are loaded).
    void readSettings(const SettingsFile &file) override;

    WorkspaceTabs::HiddenFlags hiddenWorkspaces() const;
    // Selects a start-tab item by program (no write).
    void selectStartProgItem(int item);
    QString startProgText() const;

    // The communication choices for the next open of the main port.
    bool powerEnabled() const;
    bool dtrEnabled() const;
    bool rtsEnabled() const;
    bool flowEnabled() const;
    FlowChoice flowChoice() const;

    void HideDigMonClick(int box);
    void StartProgIdxChange();
    void TabControl2Change();
    void TabControl3Change();
    // NOTE 1 in front again, as entering the terminal asks.
    void showFirstNote();
    void EnableCtlrPowerClick();
    void FlowChangeCtrlClick();
    void EnableFlowCtlClick();
    void FlowChange(QRadioButton *button);

Q_SIGNALS:
    // A hide box changed and was saved: the workspace strip is to be rebuilt.
    void hiddenWorkspacesChanged();
    // A page change disables the function-key grid's undo.
    void pageChanged(int index);

private:
    void readHideBoxes(const SettingsFile &file);
    void readPowerControl(const SettingsFile &file);
    void readFlowControl(const SettingsFile &file);
    void buildProgramSetupPage(QWidget *page);
    void buildCommunicationsPage(QWidget *page);
    void showPowerLines(bool shown);
    void showFlowButtons(bool shown);

    QTabBar *m_pages = nullptr;
    std::array<QWidget *, 5> m_pagePanels{};
    QComboBox *m_startProg = nullptr;
    std::array<QCheckBox *, WorkspaceTabs::Hideable> m_hideBoxes{};
    QTabBar *m_notes = nullptr;
    QPlainTextEdit *m_note1 = nullptr;
    QPlainTextEdit *m_note2 = nullptr;
    QCheckBox *m_power = nullptr;
    QCheckBox *m_dtr = nullptr;
    QCheckBox *m_rts = nullptr;
    QCheckBox *m_flowEnabled = nullptr;
    QRadioButton *m_flowNone = nullptr;
    QRadioButton *m_flowXon = nullptr;
    QRadioButton *m_flowCts = nullptr;
    QRadioButton *m_flowDtr = nullptr;
};
