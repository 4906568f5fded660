#include "terminal/terminalworkspace.h"

#include "serial/mainport.h"
#include "settings/closinggroup.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "terminal/macro.h"
#include "terminal/terminalpane.h"
#include "terminal/terminalsession.h"
#include "workspace/console.h"
#include "workspace/operatorprompt.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>

using namespace std::chrono_literals;
using TerminalText::DisplayMode;

namespace {

const QColor VirtualBoardColour(0x00, 0x80, 0x00);
constexpr int OptionRowHeight = 32;

// 0x00BBGGRR, as the settings file keeps colours.
QColor colourOf(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int bgrOf(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

// A colour swatch that asks for a new colour when clicked.
class ColourSwatch : public QFrame
{
public:
    ColourSwatch(const QString &name, QWidget *parent) : QFrame(parent)
    {
        setObjectName(name);
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
    }
    void setColour(const QColor &colour)
    {
        QPalette p = palette();
        p.setColor(QPalette::Window, colour);
        setPalette(p);
    }
    QColor colour() const { return palette().color(QPalette::Window); }
    std::function<void()> clicked;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && clicked)
            clicked();
    }
};

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, int x, int width)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, 6, width, 20);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int x, int width)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, 4, width, 24);
    b->setFocusPolicy(Qt::NoFocus);   // typing stays in the pane
    return b;
}

// The character a key press types, as one byte of the terminal's code page.
std::optional<char> typedByte(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() != 1 || text.at(0).unicode() > 0xFF)
        return std::nullopt;
    return static_cast<char>(text.at(0).unicode());
}

} // namespace

TerminalWorkspace::TerminalWorkspace(Console &console, QObject *parent)
    : PanelWorkspace(QStringLiteral("Terminal Emulator"), QStringLiteral("TermPanel"), console, parent)
{
    addTimer(QStringLiteral("TermTimer"), 25ms);
    connect(timer(), &QTimer::timeout, this, &TerminalWorkspace::TermTimerTimer);
    m_logFlush = new QTimer(this);
    m_logFlush->setInterval(1s);
    connect(m_logFlush, &QTimer::timeout, this, [this] { m_log.flush(); });
    m_keyData = [this](int key) { return m_keys.data(m_keys.currentKeySet() * FunctionKeyTable::KeysPerSet + key); };
    buildControls();
    applyViews();
    applyColours();
}

TerminalWorkspace::~TerminalWorkspace()
{
    m_keyEffects.clear();
    stopSession();
    m_log.stop();
}

void TerminalWorkspace::buildControls()
{
    QFrame *root = frame();
    m_connect = button(root, "Connect", QStringLiteral("Connect"), 4, 84);
    m_clear = button(root, "Button4", QStringLiteral("Clear Buffer"), 92, 90);
    m_split = checkBox(root, "SplitCom", QStringLiteral("Split View"), 190, 90);
    m_upcase = checkBox(root, "UPCASE", QStringLiteral("Send Uppercase Only"), 284, 150);
    m_upcase->setChecked(true);
    m_hex = checkBox(root, "HexIO", QStringLiteral("HEX "), 438, 56);
    m_dec = checkBox(root, "DecIO", QStringLiteral("DEC."), 496, 56);
    m_crlf = checkBox(root, "CRLF", QStringLiteral("RX CR = CRLF"), 556, 110);
    for (QCheckBox *box : {m_split, m_upcase, m_hex, m_dec, m_crlf})
        box->setFocusPolicy(Qt::NoFocus);

    auto *rxLabel = new QLabel(QStringLiteral("RX"), root);
    rxLabel->setGeometry(670, 8, 18, 18);
    auto *rx = new ColourSwatch(QStringLiteral("Shape1"), root);
    rx->setGeometry(690, 6, 20, 20);
    rx->clicked = [this] { Shape1MouseDown(); };
    m_rxSwatch = rx;
    auto *txLabel = new QLabel(QStringLiteral("TX"), root);
    txLabel->setGeometry(716, 8, 18, 18);
    auto *tx = new ColourSwatch(QStringLiteral("Shape2"), root);
    tx->setGeometry(736, 6, 20, 20);
    tx->clicked = [this] { Shape2MouseDown(); };
    m_txSwatch = tx;

    m_fontButton = new QToolButton(root);
    m_fontButton->setObjectName(QStringLiteral("BitBtn7"));
    m_fontButton->setText(QStringLiteral("Aa"));
    m_fontButton->setToolTip(QStringLiteral("Change Font Properties"));
    m_fontButton->setGeometry(764, 4, 32, 24);
    m_fontButton->setFocusPolicy(Qt::NoFocus);
    m_logButton = button(root, "LogStartStop", QStringLiteral("START LOG"), 802, 90);

    m_single = new TerminalPane(QStringLiteral("RichEdit1"), root);
    m_typed = new TerminalPane(QStringLiteral("TXBUF"), root);
    m_receive = new TerminalPane(QStringLiteral("ReceiveEdit"), root);
    m_typed->hide();
    m_receive->hide();
    for (TerminalPane *pane : {m_single, m_typed, m_receive})
        pane->keyPressed = [this, pane](QKeyEvent *event) { return paneKeyPressed(pane, event); };
    m_receive->setReadOnly(true);
    m_single->keyReleased = [this](QKeyEvent *event) {
        if (event->isAutoRepeat() || event->key() < Qt::Key_F1 || event->key() > Qt::Key_F12)
            return false;
        RichEdit1KeyUp(event->key(), event->modifiers());
        return true;
    };

    connect(m_connect, &QPushButton::clicked, this, &TerminalWorkspace::ConnectClick);
    connect(m_clear, &QPushButton::clicked, this, &TerminalWorkspace::Button4Click);
    connect(m_split, &QCheckBox::clicked, this, &TerminalWorkspace::SplitComClick);
    connect(m_hex, &QCheckBox::clicked, this, &TerminalWorkspace::HexIOClick);
    connect(m_dec, &QCheckBox::clicked, this, &TerminalWorkspace::DecIOClick);
    connect(m_crlf, &QCheckBox::toggled, this, [this](bool on) { m_settings.crlf = on; });
    connect(m_fontButton, &QToolButton::clicked, this, &TerminalWorkspace::BitBtn7Click);
    connect(m_logButton, &QPushButton::clicked, this, &TerminalWorkspace::LogStartStopClick);

    root->installEventFilter(this);
    layoutTerminal();
}

void TerminalWorkspace::installConfigurationPages(QWidget *communications, QWidget *virtualBoard)
{
    auto *echoGroup = new QGroupBox(QStringLiteral("Terminal"), communications);
    echoGroup->setGeometry(16, 240, 300, 60);
    m_localEcho = new QCheckBox(QStringLiteral("Local Echo"), echoGroup);
    m_localEcho->setObjectName(QStringLiteral("LocalEchoCheck"));
    m_localEcho->setGeometry(12, 26, 200, 20);
    m_localEcho->setChecked(m_settings.localEcho);
    connect(m_localEcho, &QCheckBox::toggled, this, [this](bool on) { m_settings.localEcho = on; });

    auto *boardGroup = new QGroupBox(QStringLiteral("Virtual Board"), virtualBoard);
    boardGroup->setGeometry(16, 16, 520, 100);
    m_virtual = new QCheckBox(QStringLiteral("VIRTUAL SIMULATION  MODE ENABLE . . . . . . . . . ."), boardGroup);
    m_virtual->setObjectName(QStringLiteral("CheckBox1"));
    m_virtual->setGeometry(12, 26, 420, 20);
    connect(m_virtual, &QCheckBox::toggled, this, &TerminalWorkspace::CheckBox1Click);
    m_virtualAddress = new QLineEdit(QStringLiteral("80"), boardGroup);
    m_virtualAddress->setObjectName(QStringLiteral("VirtualAddress"));
    m_virtualAddress->setGeometry(440, 24, 44, 24);
    m_virtualAddress->setMaxLength(2);
    connect(m_virtualAddress, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int at = m_virtualAddress->cursorPosition();
            m_virtualAddress->setText(upper);
            m_virtualAddress->setCursorPosition(at);
        }
    });
    connect(m_virtualAddress, &QLineEdit::textChanged, this, [this](const QString &text) { m_board.setAddress(text); });
}

void TerminalWorkspace::setKeyPanel(QWidget *panel)
{
    m_keyPanel = panel;
    if (panel) {
        panel->setParent(frame());
        panel->show();
    }
    layoutTerminal();
}

void TerminalWorkspace::showKeyFile(const QString &path, const QString &shown)
{
    for (const auto &[name, text] : {std::pair{"KeyFile", path}, std::pair{"KeyFileTerm", shown}}) {
        auto *label = frame()->findChild<QLabel *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        if (!label) {
            label = new QLabel(frame());
            label->setObjectName(QLatin1String(name));
            label->hide();
        }
        label->setText(text);
        label->setToolTip(path);
    }
}

void TerminalWorkspace::setKeyDataProvider(KeyDataProvider provider)
{
    m_keyData = std::move(provider);
}

bool TerminalWorkspace::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == frame() && event->type() == QEvent::Resize)
        layoutTerminal();
    return PanelWorkspace::eventFilter(watched, event);
}

void TerminalWorkspace::layoutTerminal()
{
    const int width = frame()->width();
    const int height = frame()->height();
    int panelHeight = ReservedKeyPanelHeight;
    if (m_keyPanel && m_keyPanel->sizeHint().height() > 0)
        panelHeight = m_keyPanel->sizeHint().height();
    if (m_keyPanel)
        m_keyPanel->setGeometry(0, height - panelHeight, width, panelHeight);
    const int top = OptionRowHeight;
    const int paneHeight = std::max(40, height - panelHeight - top - 2);
    const int paneWidth = std::max(40, width - 8);
    m_single->setGeometry(4, top, paneWidth, paneHeight);
    const int half = paneWidth / 2;
    m_typed->setGeometry(4, top, half - 2, paneHeight);
    m_receive->setGeometry(4 + half + 2, top, paneWidth - half - 2, paneHeight);
}

QFont TerminalWorkspace::terminalFont() const
{
    QFont font(m_settings.font, m_settings.size);
    if (!QFontDatabase::hasFamily(m_settings.font)) {
        // Hex and decimal columns only line up in a fixed-pitch face.
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(m_settings.size);
    }
    font.setBold(m_settings.bold);
    return font;
}

void TerminalWorkspace::applyViews()
{
    const QFont font = terminalFont();
    for (TerminalPane *pane : {m_single, m_typed, m_receive})
        pane->setFont(font);
    m_crlf->setChecked(m_settings.crlf);
    if (m_localEcho)
        m_localEcho->setChecked(m_settings.localEcho);
}

void TerminalWorkspace::applyColours()
{
    static_cast<ColourSwatch *>(m_rxSwatch)->setColour(colourOf(m_settings.receivedColour));
    static_cast<ColourSwatch *>(m_txSwatch)->setColour(colourOf(m_settings.transmittedColour));
}

void TerminalWorkspace::enter()
{
    m_connect->setText(QStringLiteral("Connect"));
    SplitComClick();
    for (TerminalPane *pane : {m_single, m_typed, m_receive})
        pane->empty();
    applyViews();
    panel()->show();
    panel()->repaint();
    timer()->start();
    typingPane()->setFocus();
    Q_EMIT entered();
}

void TerminalWorkspace::workspaceChangeRequested()
{
    runWaitingEffects();   // typed keys are logged even when they never went out
    stopLog();
}

void TerminalWorkspace::workspaceChanging()
{
    PanelWorkspace::workspaceChanging();
    m_keyEffects.clear();   // the panes are emptied on the next entry, the log has stopped
    stopSession();
    m_waitingForOpen.clear();
    m_opening = false;
    ++m_epoch;
}

void TerminalWorkspace::resetForStartup()
{
    m_keys.clearChanged();
}

void TerminalWorkspace::readSettings(const SettingsFile &file)
{
    m_settings.readColours(file);
    m_settings.readViews(file);
    m_settings.readLocations(file);
    m_settings.readLocalEcho(file);
    m_keys.setCurrentKeySet(read(file, key::KeySetSel));
    m_keys.readKeys(file);
    applyViews();
    applyColours();
}

void TerminalWorkspace::readAfterLoaded(const SettingsFile &file)
{
    m_keys.readSetNames(file);
    m_keys.setCurrentKeySet(read(file, key::KeySetSel));
}

void TerminalWorkspace::addClosingValues(ClosingGroup &group) const
{
    group.set(key::CRLF, m_settings.crlf ? 1 : 0);
    group.set(key::LocalEchoCheck, m_settings.localEcho);
    group.set(key::KeySetSel, m_keys.currentKeySet());
    // The group is written before the window lets its workspaces go.
    group.setFunctionKeys([keys = &m_keys](SettingsFile &file) {
        keys->writeChangedKeys(file);
        keys->writeSetNames(file);
    });
}

// --- Display state

TerminalText::DisplayMode TerminalWorkspace::displayMode() const
{
    if (m_hex->isChecked())
        return DisplayMode::Hex;
    if (m_dec->isChecked())
        return DisplayMode::Dec;
    return DisplayMode::Plain;
}

bool TerminalWorkspace::singleView() const
{
    return !m_split->isChecked();
}

bool TerminalWorkspace::localEcho() const
{
    return m_settings.localEcho;
}

TerminalPane *TerminalWorkspace::typingPane() const
{
    return singleView() ? m_single : m_typed;
}

// --- Typing

bool TerminalWorkspace::paneKeyPressed(TerminalPane *pane, QKeyEvent *event)
{
    if (pane == m_receive)
        return typedByte(event).has_value();   // the receive pane takes no typing
    const std::optional<char> byte = typedByte(event);
    if (!byte)
        return false;
    if (pane == m_single)
        RichEdit1KeyPress(*byte);
    else
        TXBUF2KeyPress(*byte);
    return true;
}

void TerminalWorkspace::RichEdit1KeyPress(char key)
{
    const char byte = m_upcase->isChecked() ? TerminalText::upperCase(key) : key;
    if (m_board.enabled())
        m_board.put(byte);
    const DisplayMode mode = displayMode();
    QString echo;
    bool bothPanes = false;
    if (localEcho()) {
        bothPanes = mode != DisplayMode::Plain || byte == 0;
        echo = mode == DisplayMode::Plain && byte == 0 ? QStringLiteral("_") : TerminalText::typedEcho(byte, mode);
    }
    send({false, byte, {}}, [this, key, echo, bothPanes] {
        if (m_log.active())
            m_log.write(key);   // as typed, before the upper case
        const QColor tx = colourOf(m_settings.transmittedColour);
        m_single->add(echo, tx);
        if (bothPanes)
            m_typed->add(echo, tx);
    });
}

void TerminalWorkspace::TXBUF2KeyPress(char key)
{
    const char byte = m_upcase->isChecked() ? TerminalText::upperCase(key) : key;
    const QString echo = localEcho() ? TerminalText::typedEcho(byte, DisplayMode::Plain) : QString();
    send({false, byte, {}}, [this, byte, echo] {
        if (byte == '\r')
            m_receive->addLine(QString(), colourOf(m_settings.receivedColour));
        m_typed->add(echo, colourOf(m_settings.transmittedColour));
    });
}

void TerminalWorkspace::RichEdit1KeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (key < Qt::Key_F1 || key > Qt::Key_F12)
        return;
    autoOpen();
    const int f = key - Qt::Key_F1 + 1;
    int k = 0;
    if (modifiers & Qt::AltModifier)
        k = f >= 9 ? f + 4 : 0;   // Alt+F9..F12: keys 13..16
    else
        k = f;
    if (k > 0 && m_keyData)
        SendMacro(m_keyData(k));
}

void TerminalWorkspace::SendMacro(const QString &text)
{
    const QList<Macro::Step> plan = Macro::plan(Macro::expandEscapes(TerminalText::toBytes(text)));
    autoOpen();
    if (singleView())
        m_single->setFocus();
    else if (localEcho())
        m_typed->setFocus();
    if (plan.isEmpty())
        return;
    m_macroLooks.push_back({singleView(), localEcho(), displayMode(), m_crlf->isChecked()});
    send({true, 0, plan});
}

// --- The line

void TerminalWorkspace::send(TerminalOutbox::Item item, std::function<void()> effect)
{
    if (!item.isMacro)
        m_keyEffects.push_back(std::move(effect));
    if (m_outbox) {
        if (item.isMacro)
            m_outbox->putMacro(std::move(item.macro));
        else
            m_outbox->putKey(item.key);
        return;
    }
    m_waitingForOpen.append(std::move(item));
    autoOpen();
}

// Typing, a function key or a macro finding the line closed opens it first; what they
// send waits for the open and goes out only if it succeeded.
void TerminalWorkspace::autoOpen()
{
    if (m_outbox || m_opening)
        return;
    m_connect->setText(QStringLiteral("Disconnect"));
    open(false);
}

void TerminalWorkspace::open(bool fromConnect)
{
    m_opening = true;
    const quint64 epoch = m_epoch;
    console().applyLineSettings(true, [this, epoch, fromConnect](bool opened) {
        if (epoch != m_epoch)
            return;
        m_opening = false;
        if (!opened) {
            m_waitingForOpen.clear();
            m_macroLooks.clear();
            runWaitingEffects();
            return;
        }
        if (fromConnect)
            m_connect->setText(QStringLiteral("Disconnect"));
        startSession();
    });
}

void TerminalWorkspace::startSession()
{
    auto outbox = std::make_shared<TerminalOutbox>();
    for (TerminalOutbox::Item &item : m_waitingForOpen) {
        if (item.isMacro)
            outbox->putMacro(std::move(item.macro));
        else
            outbox->putKey(item.key);
    }
    m_waitingForOpen.clear();
    m_outbox = outbox;

    const quint64 epoch = m_epoch;
    auto current = [this, epoch, outbox] { return epoch == m_epoch && m_outbox == outbox; };
    TerminalSession::Reports reports;
    reports.keySent = [this, current] {
        if (current())
            keySent();
    };
    reports.received = [this, current](const QList<QByteArray> &batches) {
        if (current())
            received(batches);
    };
    reports.macroSent = [this, current](const QByteArray &bytes) {
        if (current())
            macroSent(bytes);
    };
    reports.macroReply = [this, current](const QByteArray &reply) {
        if (current())
            macroReply(reply);
    };
    reports.macroDone = [this, current] {
        if (current() && !m_macroLooks.empty())
            m_macroLooks.pop_front();
    };
    reports.lineLost = [this, current] {
        if (current())
            lineLost();
    };
    console().mainPort().line().post(
        [outbox, reports](LineContext &ctx) { TerminalSession::run(ctx, *outbox, reports); },
        [this, outbox] {
            if (m_outbox == outbox)
                m_outbox.reset();
        });
}

// A session that ends takes the keys it had not sent yet with it: what they show and log
// follows at once, as it does for keys typed while the port would not open.
void TerminalWorkspace::stopSession()
{
    if (m_outbox) {
        m_outbox->stop();
        m_outbox.reset();
    }
    m_macroLooks.clear();
    runWaitingEffects();
}

void TerminalWorkspace::keySent()
{
    if (m_keyEffects.empty())
        return;
    const std::function<void()> effect = std::move(m_keyEffects.front());
    m_keyEffects.pop_front();
    if (effect)
        effect();
}

void TerminalWorkspace::runWaitingEffects()
{
    std::deque<std::function<void()>> effects;
    effects.swap(m_keyEffects);
    for (const std::function<void()> &effect : effects) {
        if (effect)
            effect();
    }
}

void TerminalWorkspace::received(const QList<QByteArray> &batches)
{
    TerminalPane *pane = singleView() ? m_single : m_receive;
    const QColor rx = colourOf(m_settings.receivedColour);
    const DisplayMode mode = displayMode();
    const bool crlf = m_crlf->isChecked();
    for (const QByteArray &batch : batches) {
        const QString text = TerminalText::formatReceived(batch, mode, crlf);
        pane->add(text, rx);
        if (m_log.active())
            m_log.write(TerminalText::toBytes(text));
    }
}

void TerminalWorkspace::macroSent(const QByteArray &bytes)
{
    const MacroLook look = m_macroLooks.empty() ? MacroLook{} : m_macroLooks.front();
    TerminalPane *pane = look.singleView ? m_single : m_typed;
    const QColor tx = colourOf(m_settings.transmittedColour);
    for (char byte : bytes) {
        if (look.localEcho)
            pane->add(TerminalText::macroEcho(byte, look.mode, look.crlf, look.singleView), tx);
        if (m_log.active())
            m_log.write(byte);
    }
}

void TerminalWorkspace::macroReply(const QByteArray &reply)
{
    const MacroLook look = m_macroLooks.empty() ? MacroLook{} : m_macroLooks.front();
    const QString text = TerminalText::fromBytes(reply);
    const QColor rx = colourOf(m_settings.receivedColour);
    if (!look.singleView)
        m_receive->addLine(text, rx);
    else if (look.localEcho)
        m_single->add(text, rx);
    if (m_log.active())
        m_log.write(reply);
}

// The serial layer has closed the port and said so in the connection field; the next key
// or Connect opens it again.
void TerminalWorkspace::lineLost()
{
    m_waitingForOpen.clear();
    stopSession();
    m_connect->setText(QStringLiteral("Connect"));
}

// --- Controls

void TerminalWorkspace::TermTimerTimer()
{
    if (const std::optional<QString> reply = m_board.step())
        m_single->add(*reply, VirtualBoardColour);
    for (TerminalPane *pane : {m_single, m_typed, m_receive})
        pane->flush();
}

void TerminalWorkspace::ConnectClick()
{
    m_waitingForOpen.clear();
    stopSession();
    ++m_epoch;
    if (m_connect->text() == QLatin1String("Disconnect")) {
        m_opening = false;
        console().applyLineSettings(false);
        m_connect->setText(QStringLiteral("Connect"));
    } else {
        open(true);
    }
    typingPane()->setFocus();
}

void TerminalWorkspace::SplitComClick()
{
    const bool split = m_split->isChecked();
    m_single->setVisible(!split);
    m_typed->setVisible(split);
    m_receive->setVisible(split);
}

void TerminalWorkspace::Button4Click()
{
    for (TerminalPane *pane : {m_single, m_typed, m_receive})
        pane->empty();
    typingPane()->setFocus();
}

void TerminalWorkspace::HexIOClick()
{
    if (m_hex->isChecked())
        m_dec->setChecked(false);
}

void TerminalWorkspace::DecIOClick()
{
    if (m_dec->isChecked())
        m_hex->setChecked(false);
}

void TerminalWorkspace::CheckBox1Click()
{
    m_board.setEnabled(m_virtual && m_virtual->isChecked());
}

void TerminalWorkspace::BitBtn7Click()
{
    timer()->stop();
    OperatorPrompt::FontChoice current{terminalFont(), colourOf(m_settings.colour)};
    if (const auto chosen = console().prompt().chooseFont(QStringLiteral("Font"), current)) {
        m_settings.font = chosen->font.family();
        m_settings.size = chosen->font.pointSize();
        m_settings.colour = bgrOf(chosen->colour);
        m_settings.bold = chosen->font.bold();
        applyViews();
        const TerminalSettings s = m_settings;
        // A failed write has shown its box; the chosen font stays in effect.
        console().saveSettings([&s](SettingsFile &file) {
            write(file, key::TermFont, s.font);
            write(file, key::TermSize, s.size);
            write(file, key::TermColor, s.colour);
            write(file, key::FontBold, s.bold);
        });
    }
    timer()->start();
}

bool TerminalWorkspace::chooseColour(QColor &colour, const char *swatch)
{
    const std::optional<QColor> chosen = console().prompt().chooseColour(QString::fromLatin1(swatch), colour);
    if (chosen)
        colour = *chosen;
    return chosen.has_value();
}

void TerminalWorkspace::Shape1MouseDown()
{
    QColor colour = colourOf(m_settings.receivedColour);
    if (chooseColour(colour, "RX")) {
        m_settings.receivedColour = bgrOf(colour);
        applyColours();
    }
    const int value = m_settings.receivedColour;
    console().saveSettings([value](SettingsFile &file) { write(file, key::TxColor, value); });
}

void TerminalWorkspace::Shape2MouseDown()
{
    QColor colour = colourOf(m_settings.transmittedColour);
    if (chooseColour(colour, "TX")) {
        m_settings.transmittedColour = bgrOf(colour);
        applyColours();
    }
    const int value = m_settings.transmittedColour;
    console().saveSettings([value](SettingsFile &file) { write(file, key::RxColor, value); });
}
