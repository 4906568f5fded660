#pragma once

#include "updater/flashupdater.h"
#include "updater/programminglink.h"
#include "updater/updatersettings.h"
#include "workspace/panelworkspace.h"

#include <QList>

#include <chrono>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

// The Flash Updater workspace: finds the boards on the line through the loader protocol,
// lists the firmware files of a folder newest first, and loads one into a board through its
// resident loader over the updater's own programming port. The work itself is the
// FlashUpdater's; this object builds the panel, feeds the engine what the panel holds and
// shows what it reports. The status bar's progress panel shows while it is in front.
//
// The implementation is split: updaterworkspace.cpp follows the engine and the settings,
// updaterpanel.cpp builds the panel and holds the folder and file lists.
class UpdaterWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    // The scan range of the bus scan, which SCANFIRST and SCANLAST show and set.
    struct ScanRangeAccess
    {
        std::function<QString()> firstText;   // FSCANADR
        std::function<QString()> lastText;    // LSCANADR
        std::function<void(const QString &)> setFirstText;
        std::function<void(const QString &)> setLastText;
    };

    // makeLink makes the programming port; without one every open fails as for a device
    // that is not there.
    UpdaterWorkspace(Console &console, ProgrammingLinkFactory makeLink, QObject *parent = nullptr);
    ~UpdaterWorkspace() override;

    void enter() override;
    QRect panelGeometry() const override { return {5, 24, 896, 567}; }
    // A download keeps the workspace in front while it runs.
    bool keepsFront() const override { return m_updater->downloadRunning(); }
    // Leaving the workspace stops a search and closes the programming port.
    void workspaceChanging() override;
    bool showsProgressPanel() const override { return true; }

    // Start-up: the rate buttons and the firmware folder; once the settings are loaded,
    // the programming port. Closing: the two rates and the firmware folder.
    void readSettings(const SettingsFile &file) override;
    void readAfterLoaded(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;

    // CommsList shows the port field; the programming port opens on it.
    void portFieldChanged(const QString &text) override;
    // xCommsList: the ports the last enumeration could open, the last one chosen.
    void portsEnumerated(const QStringList &ports) override;

    void setScanRange(ScanRangeAccess access) { m_scanRange = std::move(access); }

    FlashUpdater &updater() const { return *m_updater; }
    const UpdaterSettings &settings() const { return m_settings; }
    QString portText() const;
    QStringList availablePorts() const;
    QString folder() const { return m_folder; }

    // The handlers of the panel's controls.
    void BaudClick();                   // any of the twelve rate buttons
    void SCANFIRSTChange();
    void SCANLASTChange();
    void ListBox1Click();
    void PrgFileListClick(int row);
    void Button16Click();
    void Button34Click();
    void FileListBox1Change();
    // DirectoryListBox1 opens folder: the tree around it and its firmware files.
    void setFolder(const QString &folder);

Q_SIGNALS:
    // "RESCAN COM PORTS": the port list is to be found again.
    void rescanRequested();

private:
    void buildPanel();
    void buildRateGroups();
    void buildSearchControls();
    void buildFileControls();
    void buildStatusControls();
    void buildHiddenControls();
    void connectUpdater();
    void fillDrives();
    void fillFolderList();
    void readFileList();
    void showRates();
    void selectScanItems();
    std::optional<FlashUpdater::FileChoice> chosenFile() const;
    QString selectedBoardEntry() const;
    QPushButton *buttonNamed(const QString &name) const;

    UpdaterSettings m_settings;
    FlashUpdater *m_updater = nullptr;
    ScanRangeAccess m_scanRange;
    QString m_folder;
    QTimer *m_flashTimer = nullptr;     // FlashPrgTimer, 20 ms from start to end
    static constexpr std::chrono::milliseconds RxDataRefresh{50};
    QTimer *m_rxDataRefresh = nullptr;  // RxData's memo follows the engine's text
    bool m_rowJustChosen = false;       // the grid's selection took the row the click is on

    QList<QRadioButton *> m_programmingRates;   // BAUDX0..BAUDX3
    QList<QRadioButton *> m_discoveryRates;     // BAUDAX00..BAUDAX07
    QLabel *m_commsList = nullptr;              // CommsList
    QComboBox *m_xCommsList = nullptr;          // xCommsList (hidden)
    QComboBox *m_scanFirst = nullptr;           // SCANFIRST
    QComboBox *m_scanLast = nullptr;            // SCANLAST
    QListWidget *m_boards = nullptr;            // ListBox1
    QComboBox *m_drives = nullptr;              // DriveComboBox1
    QListWidget *m_folders = nullptr;           // DirectoryListBox1
    QLineEdit *m_filename = nullptr;            // Filename
    QListWidget *m_files = nullptr;             // FileListBox1 (never seen)
    QTableWidget *m_grid = nullptr;             // PrgFileList
    QPlainTextEdit *m_status = nullptr;         // ProgStatus
    QPlainTextEdit *m_rxData = nullptr;         // RxData (hidden)
    QWidget *m_progressPanel = nullptr;         // PBAR
    QProgressBar *m_progress = nullptr;         // ProgressBar1
    QLabel *m_percent = nullptr;                // Label117
};
