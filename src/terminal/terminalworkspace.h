#pragma once

#include "terminal/functionkeys.h"
#include "terminal/terminallog.h"
#include "terminal/terminaloutbox.h"
#include "terminal/terminalsettings.h"
#include "terminal/terminaltext.h"
#include "terminal/virtualboard.h"
#include "workspace/panelworkspace.h"

#include <QColor>
#include <QFont>

#include <deque>
#include <functional>
#include <memory>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TerminalPane;

// The Terminal Emulator workspace: a character terminal on the main port with sixteen
// sets of sixty-four function keys. The window may be resized freely while it is shown.
//
// While connected, a session on the line thread owns the traffic (TerminalSession): typed
// bytes and macros go to it through an outbox and leave at once; what arrives comes back
// in batches, is shown on the next tick of TermTimer and logged as it comes.
class TerminalWorkspace : public PanelWorkspace
{
    Q_OBJECT
public:
    using KeyDataProvider = std::function<QString(int key)>;
    // The bottom area kept for the key panel until one is set: two rows of set buttons and
    // eight rows of key buttons, 23 pixels high and 2 apart, and the panel's margins.
    static constexpr int ReservedKeyPanelHeight = 10 * (23 + 2) + 6;

    explicit TerminalWorkspace(Console &console, QObject *parent = nullptr);
    ~TerminalWorkspace() override;

    void enter() override;
    void workspaceChangeRequested() override;
    void workspaceChanging() override;
    bool resizable() const override { return true; }

    // Start-up: the changed marks cleared; colours, views, the remembered folders, local
    // echo, the key set and the 1024 keys; once the settings are loaded, the set names and
    // the key set again. Closing: the line end, local echo, the key set, the changed keys
    // and the set names.
    void resetForStartup() override;
    void readSettings(const SettingsFile &file) override;
    void readAfterLoaded(const SettingsFile &file) override;
    void addClosingValues(ClosingGroup &group) const override;

    TerminalSettings &settings() { return m_settings; }
    const TerminalSettings &settings() const { return m_settings; }
    FunctionKeyTable &keys() { return m_keys; }
    const FunctionKeyTable &keys() const { return m_keys; }

    // The configuration pages that carry the terminal's own controls: local echo on
    // "Communications", the virtual board on "Virtual Board".
    void installConfigurationPages(QWidget *communications, QWidget *virtualBoard);
    // The key panel: put into TermPanel across the bottom, the panes above it.
    void setKeyPanel(QWidget *panel);
    // Where the keyboard's function keys take the data of key k (1..16) of the current set;
    // by default the function-key table.
    void setKeyDataProvider(KeyDataProvider provider);

    // The key file last saved or loaded, in the hidden labels KeyFile (the full path) and
    // KeyFileTerm (as "Current Key File:" shows it).
    void showKeyFile(const QString &path, const QString &shown);

    // Sends a stored key string: escapes expanded, bytes sent, reply waits collected.
    void SendMacro(const QString &text);

    // Handlers of the controls.
    void TermTimerTimer();
    void RichEdit1KeyPress(char key);
    void TXBUF2KeyPress(char key);
    void RichEdit1KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void ConnectClick();
    void SplitComClick();
    void Button4Click();
    void BitBtn7Click();
    void Shape1MouseDown();
    void Shape2MouseDown();
    void HexIOClick();
    void DecIOClick();
    void CheckBox1Click();
    void LogStartStopClick();

    bool logActive() const { return m_log.active(); }
    TerminalText::DisplayMode displayMode() const;
    QFont terminalFont() const;

Q_SIGNALS:
    // The terminal was entered: the Program Setup page shows its first note again.
    void entered();

private:
    void buildControls();
    void layoutTerminal();
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool paneKeyPressed(TerminalPane *pane, QKeyEvent *event);
    void applyViews();
    void applyColours();

    // The line: typed bytes and macros wait for an open, then go to the session.
    // A typed key's echo and log entry wait for the key to go out (effect), so they keep
    // their place among the echoes of macros and what was received before them.
    void send(TerminalOutbox::Item item, std::function<void()> effect = {});
    void keySent();
    void runWaitingEffects();
    void autoOpen();
    void open(bool fromConnect);
    void startSession();
    void stopSession();
    void received(const QList<QByteArray> &batches);
    // How a macro shows, as the terminal was set when it was given.
    struct MacroLook
    {
        bool singleView = true;
        bool localEcho = true;
        TerminalText::DisplayMode mode = TerminalText::DisplayMode::Plain;
        bool crlf = false;
    };
    void macroSent(const QByteArray &bytes);
    void macroReply(const QByteArray &reply);
    void lineLost();

    void stopLog();
    bool chooseColour(QColor &colour, const char *swatch);
    bool singleView() const;
    bool localEcho() const;
    TerminalPane *typingPane() const;

    TerminalSettings m_settings;
    FunctionKeyTable m_keys;
    KeyDataProvider m_keyData;
    VirtualBoard m_board;
    TerminalLog m_log;
    QTimer *m_logFlush = nullptr;

    std::shared_ptr<TerminalOutbox> m_outbox;      // the running session's, if any
    QList<TerminalOutbox::Item> m_waitingForOpen;
    std::deque<std::function<void()>> m_keyEffects;   // of typed keys not yet reported sent
    std::deque<MacroLook> m_macroLooks;                // of macros given and not yet done
    bool m_opening = false;
    quint64 m_epoch = 0;   // bumped when what is under way on the line is given up

    QPushButton *m_connect = nullptr;
    QPushButton *m_clear = nullptr;
    QCheckBox *m_split = nullptr;
    QCheckBox *m_upcase = nullptr;
    QCheckBox *m_hex = nullptr;
    QCheckBox *m_dec = nullptr;
    QCheckBox *m_crlf = nullptr;
    QWidget *m_rxSwatch = nullptr;
    QWidget *m_txSwatch = nullptr;
    QToolButton *m_fontButton = nullptr;
    QPushButton *m_logButton = nullptr;
    TerminalPane *m_single = nullptr;
    TerminalPane *m_typed = nullptr;
    TerminalPane *m_receive = nullptr;
    QWidget *m_keyPanel = nullptr;
    QCheckBox *m_localEcho = nullptr;
    QCheckBox *m_virtual = nullptr;
    QLineEdit *m_virtualAddress = nullptr;
};
