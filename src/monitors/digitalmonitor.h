#pragma once

#include "monitors/boardworkspace.h"
#include "monitors/digitaljobs.h"
#include "monitors/digitallogic.h"

#include <array>

class BitLamp;
class QLabel;
class QPushButton;

// The Digital Monitor workspace (PVantor): watches and drives one digital board's three
// output ports and reads its three input ports, every 100 ms in RUN, or steps the outputs
// through the TEST patterns. Its timer VantorTimer runs the first phase whose flag is set:
// stop, scan, RUN, TEST.
class DigitalMonitor : public BoardWorkspace
{
    Q_OBJECT
public:
    DigitalMonitor(Console &console, MonitorState &state, QObject *parent = nullptr);

    void enter() override;
    // Every workspace change, whichever workspace is entered, also leaves TEST, asks the
    // next tick for a stop phase and blanks the ports.
    void workspaceChanging() override;
    // Start-up: the timer stopped and no scan asked for.
    void resetForStartup() override;

    void VantorTimerTimer();
    void Button1Click();   // SCAN
    void Button2Click();   // RUN / STOP
    void Button3Click();   // TEST / STOP
    void BoardsClick();
    void LampClick(int tag);

    int TestStep = 0;

protected:
    void resetRunButtons() override;

private:
    void buildPanel();
    // What a RUN or TEST tick needs from the controls, copied when it starts, and where its
    // results go.
    DigitalJobs::TickInputs tickInputs() const;
    DigitalJobs::Sink tickSink();

    void stopPhase() override;
    void scanPhase();
    void runPhase();
    void testPhase();

    void resetOnWorkspaceChange();
    void startRun();
    void stopRun();
    void startTest();
    void stopTest();
    void afterStop();
    void showPortsUnknown();   // the six port fields "XX"

    void outputChanged(int port);
    void inputChanged(int port);
    void baudTextChanged();
    void typeTextChanged();

    QLineEdit *m_locxx = nullptr;      // LOCXX
    QLineEdit *m_baudTxt = nullptr;    // BAUDTXT
    QLineEdit *m_type = nullptr;       // UIDTEXT
    QLineEdit *m_version = nullptr;    // VERTEXT
    QLabel *m_baudConv = nullptr;
    QLabel *m_typeText = nullptr;
    std::array<QLineEdit *, Digital::PortCount> m_outputs{};   // by port: OUTL, OUTM, OUTR
    std::array<QLineEdit *, Digital::PortCount> m_inputs{};    // INL, INM, INR
    std::array<QLabel *, Digital::PortCount> m_inputBits{};    // Label21, Label22, Label23
    std::array<BitLamp *, Digital::PortCount * Digital::BitsPerPort> m_lamps{};   // by tag
    BoardList *m_boards = nullptr;
    QPushButton *m_scan = nullptr;   // Button1
    QPushButton *m_run = nullptr;    // Button2
    QPushButton *m_test = nullptr;   // Button3
};
