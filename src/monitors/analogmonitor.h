#pragma once

#include "monitors/analoglogic.h"
#include "monitors/analogmodes.h"
#include "monitors/boardworkspace.h"

#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class SettingsFile;

// The Analog Monitor workspace (AnalogMonitor): shows up to eleven channels of one analog
// board, each in the display mode chosen for it, polled every 100 ms while RUN is on. Its
// timer AnaMonTimer runs the first phase whose flag is set: stop, scan, poll.
//
// RUN with no board selected in the list polls the address typed in SCANSTART as an
// eleven-channel board: the list is empty before a scan or after one that found nothing,
// and the operator who types an address means that board.
class AnalogMonitor : public BoardWorkspace
{
    Q_OBJECT
public:
    AnalogMonitor(Console &console, MonitorState &state, QObject *parent = nullptr);

    void enter() override;

    // Start-up: a fresh mode table; A, B and C into the mode selectors, TEMP into the unit
    // buttons. Closing: the three mode words, which every selector change keeps up to date.
    void resetForStartup() override;
    void readSettings(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;

    const AnalogChannelModes &channelModes() const { return m_modes; }
    bool celsius() const { return m_celsius; }

    void AnaMonTimerTimer();
    void ANASCANClick();
    void ANARUNClick();
    void AnaBoardsClick();
    void ModeClick(int tag);   // tag = 4 x (channel - 1) + mode
    void CelciusClick();
    void FarenClick();

protected:
    void resetRunButtons() override;

private:
    void buildPanel();
    void buildChannelColumn(int channel, QWidget *parent, int x);
    void buildCover(QWidget *parent);

    void stopPhase() override;
    void scanPhase();
    void pollPhase();
    void startPoll();
    void stopPoll();
    // The list's click handling, also run by the scan for every board it finds.
    void boardSelected();
    std::optional<QString> selectedType() const;
    void setLayout(Analog::Layout layout);
    void showReadings(const QList<QByteArray> &readings, bool fiveChannels);
    void saveUnit(const QString &text);
    void checkMode(int channel, ChannelMode mode);

    AnalogChannelModes m_modes;
    bool m_celsius = true;   // CelsiusSelected

    BoardList *m_boards = nullptr;      // AnaBoards
    QPushButton *m_scan = nullptr;      // ANASCAN
    QPushButton *m_run = nullptr;       // ANARUN
    QLineEdit *m_scanStart = nullptr;   // SCANSTART
    QLineEdit *m_anaLoc = nullptr;      // ANALOC
    std::array<QLineEdit *, Analog::Channels> m_values{};   // AIN1..AIN11
    std::array<QWidget *, Analog::Channels> m_columns{};    // AN1..AN11
    std::array<QRadioButton *, Analog::Channels * 4> m_selectors{};   // by tag
    QRadioButton *m_celciusButton = nullptr;
    QRadioButton *m_farenButton = nullptr;
    QWidget *m_cover = nullptr;         // AD5PANEL
    QLabel *m_temp = nullptr;           // Temp
};
