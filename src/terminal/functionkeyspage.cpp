#include "terminal/functionkeyspage.h"

#include "terminal/functionkeys.h"
#include "terminal/keygridmodel.h"
#include "terminal/keygridview.h"
#include "terminal/keypanel.h"
#include "workspace/console.h"
#include "workspace/operatorprompt.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"

#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int Columns = 8;
constexpr int ButtonStep = 106;
constexpr int ButtonWidth = 104;
constexpr int Left = 8;

constexpr int SetTop = 4;
constexpr int GridTop = 54;
constexpr int GridHeight = 222;   // the header and ten rows
constexpr int KeyTop = 280;
constexpr int CommandTop = 436;
constexpr int KeyFileTop = 464;

enum KeyCode { CopyRow = 3, PasteRow = 22, EnterKey = 13, OtherKey = 0 };

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// Double clicks on a set button open the caption panel for that set.
class DoubleClickFilter : public QObject
{
public:
    DoubleClickFilter(FunctionKeysPage *page, int set) : QObject(page), m_page(page), m_set(set) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            m_page->CFGSETSEL1DblClick(m_set);
        return QObject::eventFilter(watched, event);
    }

private:
    FunctionKeysPage *m_page;
    int m_set;
};

} // namespace

FunctionKeysPage::FunctionKeysPage(FunctionKeyTable &keys, Console &console, QWidget *page, QObject *parent)
    : QObject(parent), m_keys(keys), m_console(console), m_page(page), m_home(QDir::homePath()),
      m_drives(keyFileDrives())
{
    m_location = {QString::fromLatin1(key::KEYSDRIVE.def), QString::fromLatin1(key::KEYSDIR.def),
                  QString::fromLatin1(key::KEYSFILE.def)};
    m_grid = new KeyGridModel(keys, this);
    buildSetButtons(page);
    buildGrid(page);
    buildKeyButtons(page);
    buildCommands(page);
    buildCaptionPanel(page);
    connectGrid();
    m_keyFilePath = m_location.path(m_home);
    m_currentKeyFile->setText(keyFileText());
    m_currentKeyFile->setToolTip(m_keyFilePath);
    m_grid->load();
    showKeySet();
    page->installEventFilter(this);
}

FunctionKeysPage::~FunctionKeysPage() = default;

// Another configuration page, or another workspace, hides this page; a minimised window
// (a spontaneous hide or show) neither ends the undo nor reloads the grid. Shown again, the
// page shows the current set, which the terminal may have changed meanwhile.
bool FunctionKeysPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && !event->spontaneous()) {
        if (event->type() == QEvent::Hide)
            dropUndo();
        else if (event->type() == QEvent::Show)
            showKeySet();
    }
    return QObject::eventFilter(watched, event);
}

void FunctionKeysPage::buildSetButtons(QWidget *page)
{
    for (int set = 0; set < FunctionKeyTable::Sets; ++set) {
        QPushButton *button = makeButton(page, QStringLiteral("CFGSETSEL%1").arg(set + 1), QString());
        button->setProperty("Tag", set);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setGeometry(Left + (set % Columns) * ButtonStep, SetTop + (set / Columns) * 24, ButtonWidth, 22);
        button->installEventFilter(new DoubleClickFilter(this, set));
        connect(button, &QPushButton::clicked, this, [this, set] { CFGSETSEL1Click(set); });
        m_setButtons[size_t(set)] = button;
    }
}

void FunctionKeysPage::buildGrid(QWidget *page)
{
    m_view = new KeyGridView(page);
    m_view->setModel(m_grid);
    m_view->setGeometry(Left, GridTop, 862, GridHeight);
}

void FunctionKeysPage::buildKeyButtons(QWidget *page)
{
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k) {
        QPushButton *button = makeButton(page, QStringLiteral("F%1S").arg(k), QString());
        button->setProperty("Tag", k);
        button->setFocusPolicy(Qt::NoFocus);
        const int i = k - 1;
        button->setGeometry(Left + (i % Columns) * ButtonStep, KeyTop + (i / Columns) * 19, ButtonWidth, 18);
        connect(button, &QPushButton::clicked, this, [this, k] { GotoTableLine(k); });
        m_keyButtons[size_t(i)] = button;
    }
}

void FunctionKeysPage::buildCommands(QWidget *page)
{
    struct Command
    {
        const char *name;
        const char *caption;
        void (FunctionKeysPage::*handler)();
    };
    const Command commands[] = {
        {"Button19", "SUBSET CAPTION", &FunctionKeysPage::Button19Click},
        {"UndoMoveButton", "UNDO", &FunctionKeysPage::UndoMoveButtonClick},
        {"Button24", "CLEAR SUBSET", &FunctionKeysPage::Button24Click},
        {"Button22", "SAVE SUBSET", &FunctionKeysPage::Button22Click},
        {"Button23", "LOAD SUBSET", &FunctionKeysPage::Button23Click},
        {"Button14", "SAVE ALL KEYS", &FunctionKeysPage::SaveKeys},
        {"Button15", "LOAD ALL KEYS", &FunctionKeysPage::LoadKeys},
    };
    int x = Left;
    for (const Command &command : commands) {
        QPushButton *button =
            makeButton(page, QString::fromLatin1(command.name), QString::fromLatin1(command.caption));
        button->setGeometry(x, CommandTop, 118, 24);
        connect(button, &QPushButton::clicked, this, command.handler);
        x += 123;
        if (button->objectName() == QLatin1String("UndoMoveButton"))
            m_undo = button;
    }
    m_undo->setEnabled(false);

    auto *caption = new QLabel(QStringLiteral("Current Key File:"), page);
    caption->setGeometry(Left, KeyFileTop, 110, 20);
    m_currentKeyFile = new QLabel(page);
    m_currentKeyFile->setObjectName(QStringLiteral("CurrentKeyFile"));
    m_currentKeyFile->setGeometry(Left + 114, KeyFileTop, 740, 20);
}

void FunctionKeysPage::buildCaptionPanel(QWidget *page)
{
    m_captionPanel = new QFrame(page);
    m_captionPanel->setObjectName(QStringLiteral("CaptionSetPanel"));
    m_captionPanel->setFrameShape(QFrame::Panel);
    m_captionPanel->setFrameShadow(QFrame::Raised);
    m_captionPanel->setAutoFillBackground(true);
    m_captionPanel->setGeometry(290, 150, 300, 130);

    (new QLabel(QStringLiteral("Current Caption:"), m_captionPanel))->setGeometry(12, 12, 112, 20);
    m_currentCaption = new QLabel(m_captionPanel);
    m_currentCaption->setObjectName(QStringLiteral("CurrentCaption"));
    m_currentCaption->setGeometry(130, 12, 160, 20);
    (new QLabel(QStringLiteral("Enter Caption :"), m_captionPanel))->setGeometry(12, 46, 112, 20);
    m_newCaption = new QLineEdit(m_captionPanel);
    m_newCaption->setObjectName(QStringLiteral("NewCaption"));
    m_newCaption->setGeometry(130, 44, 156, 24);

    QPushButton *ok = makeButton(m_captionPanel, QStringLiteral("Button20"), QStringLiteral("OK"));
    ok->setGeometry(60, 90, 80, 26);
    connect(ok, &QPushButton::clicked, this, &FunctionKeysPage::Button20Click);
    QPushButton *cancel = makeButton(m_captionPanel, QStringLiteral("Button21"), QStringLiteral("CANCEL"));
    cancel->setGeometry(160, 90, 80, 26);
    connect(cancel, &QPushButton::clicked, this, &FunctionKeysPage::Button21Click);
    m_captionPanel->hide();
}

void FunctionKeysPage::connectGrid()
{
    connect(m_grid, &KeyGridModel::undoAvailableChanged, m_undo, &QPushButton::setEnabled);
    connect(m_view, &KeyGridView::rowMoved, this, &FunctionKeysPage::FKeyGridRowMoved);
    connect(m_view, &KeyGridView::rowCopyRequested, this, [this](int r) { FKeyGridKeyPress(r, CopyRow); });
    connect(m_view, &KeyGridView::rowPasteRequested, this, [this](int r) { FKeyGridKeyPress(r, PasteRow); });
    connect(m_view, &KeyGridView::enterPressed, this, [this](int r) { FKeyGridKeyPress(r, EnterKey); });
    connect(m_view, &KeyGridView::typedInRow, this, [this](int r) { FKeyGridKeyPress(r, OtherKey); });
    connect(m_view, &KeyGridView::cellSelected, this, &FunctionKeysPage::FKeyGridSelectCell);
    connect(m_view, &KeyGridView::exited, this, &FunctionKeysPage::FKeyGridExit);
}

void FunctionKeysPage::resetForStartup()
{
    m_grid->forget();
}

void FunctionKeysPage::readSettings(const SettingsFile &file)
{
    m_location = {read(file, key::KEYSDRIVE), read(file, key::KEYSDIR), read(file, key::KEYSFILE)};
    showKeyFile(m_location.path(m_home));
    m_grid->load();
}

void FunctionKeysPage::readAfterLoaded(const SettingsFile &)
{
    showKeySet();
}

void FunctionKeysPage::addClosingValues(ClosingGroup &) const
{
    m_grid->commit();
}

void FunctionKeysPage::showKeySet()
{
    m_grid->commit();
    m_grid->load();
    showConfigCaptions();
    m_setButtons.at(size_t(m_keys.currentKeySet()))->setChecked(true);
    for (int k = 1; k <= FunctionKeyTable::KeysPerSet; ++k) {
        const QString label = m_keys.label(FunctionKeyTable::keyNumber(m_keys.currentKeySet(), k));
        m_keyButtons[size_t(k - 1)]->setText(label.isEmpty() ? QStringLiteral("F%1").arg(k) : buttonCaption(label));
    }
}

void FunctionKeysPage::showConfigCaptions()
{
    for (int set = 0; set < FunctionKeyTable::Sets; ++set)
        m_setButtons[size_t(set)]->setText(buttonCaption(m_keys.setName(set)));
}

void FunctionKeysPage::dropUndo()
{
    m_grid->dropUndo();
}

QString FunctionKeysPage::gridData(int r) const
{
    return m_grid->row(r).data;
}

QString FunctionKeysPage::keyFileText() const
{
    return shownKeyFile(m_keyFilePath);
}

void FunctionKeysPage::CFGSETSEL1Click(int tag)
{
    m_grid->switchSet(tag);
    showKeySet();
    focusPage();
    Q_EMIT currentSetChanged(tag);
}

void FunctionKeysPage::CFGSETSEL1DblClick(int tag)
{
    showCaptionPanel(tag);
}

void FunctionKeysPage::Button19Click()
{
    showCaptionPanel(m_keys.currentKeySet());
}

void FunctionKeysPage::showCaptionPanel(int set)
{
    const QString caption = m_keys.setName(set);
    m_currentCaption->setText(caption);
    m_newCaption->setText(caption);
    m_captionPanel->show();
    m_captionPanel->raise();
    focusPage();
}

void FunctionKeysPage::Button20Click()
{
    const int set = m_keys.currentKeySet();
    m_keys.setSetName(set, m_newCaption->text());
    m_setButtons[size_t(set)]->setText(buttonCaption(m_keys.setName(set)));
    m_captionPanel->hide();
    Q_EMIT setCaptionsChanged();
}

void FunctionKeysPage::Button21Click()
{
    m_captionPanel->hide();
}

void FunctionKeysPage::FKeyGridExit()
{
    m_grid->commit();
}

void FunctionKeysPage::FKeyGridKeyPress(int r, int code)
{
    switch (code) {
    case CopyRow: m_grid->copyRow(r); break;
    case PasteRow: m_grid->pasteRow(r); break;
    case EnterKey:
        m_grid->takePendingCaption();
        UpdateKeyButtonCaption(r);
        break;
    default: m_grid->noteTyped(r); break;
    }
}

void FunctionKeysPage::FKeyGridSelectCell()
{
    if (const int r = m_grid->takePendingCaption(); r > 0)
        UpdateKeyButtonCaption(r);
}

void FunctionKeysPage::UpdateKeyButtonCaption(int r)
{
    m_keyButtons[size_t(r - 1)]->setText(buttonCaption(m_grid->row(r).label));
}

void FunctionKeysPage::FKeyGridRowMoved(int from, int to)
{
    m_grid->moveRow(from, to);
    ReloadKeyGrid();
}

void FunctionKeysPage::UndoMoveButtonClick()
{
    m_grid->undoMove();
    ReloadKeyGrid();
}

void FunctionKeysPage::ReloadKeyGrid()
{
    showKeySet();
    focusPage();
}

void FunctionKeysPage::Button24Click()
{
    if (m_console.prompt().confirm(QString(), QStringLiteral("ARE YOU SURE YOU WANT TO CLEAR SUBSET?"))) {
        // Undoing an old move into the emptied set would bring back two keys of it.
        m_grid->dropUndo();
        m_grid->clearSet();
    }
    focusPage();
}

void FunctionKeysPage::GotoTableLine(int tag)
{
    m_view->scrollRowToTop(tag);
    m_view->setFocus(Qt::OtherFocusReason);
}

// The page's own tab control is the Configuration Menu's; the page itself takes the focus
// so that the grid's edit ends.
void FunctionKeysPage::focusPage()
{
    m_page->setFocus(Qt::OtherFocusReason);
}
