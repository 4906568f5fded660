#include "sequencer/sequencersettingspanel.h"

#include "workspace/console.h"
#include "settings/settingsfile.h"
#include "settings/settingskeys.h"
#include "sequencer/seldirdlg.h"
#include "sequencer/sequencersettings.h"
#include "sequencer/specialfunctionhelp.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y, int width)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 22);
    return label;
}

QLineEdit *makeEdit(QWidget *parent, const char *name, int x, int y, int width, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, width, 22);
    edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit *makeCharEdit(QWidget *parent, const char *name, int x, int y)
{
    QLineEdit *edit = makeEdit(parent, name, x, y, 26, 1);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QCheckBox *makeCheckBox(QWidget *parent, const char *name, const QString &caption, int x, int y, int width)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, width, 22);
    return box;
}

} // namespace

SequencerSettingsPanel::SequencerSettingsPanel(Console &console, SequencerSettings &settings, QWidget *parent)
    : QGroupBox(QStringLiteral("Sequencer Specific Information"), parent),
      m_console(console),
      m_settings(settings),
      m_help(new TForm2(this)),
      m_folders(new TSelDirDlg(this))
{
    setObjectName(QStringLiteral("SequencerSettings"));
    buildLanguageControls();
    buildScriptControls();
    showSettings();

    for (QLineEdit *edit : {CommentChar, EscapeChar, PrintCtrlOn, PrintCtrlOff, SpecFunctStart, SpecFunctEnd, NewEntry})
        connect(edit, &QLineEdit::textChanged, this, &SequencerSettingsPanel::SeqSetChange);
    // The box is stored with the edits; ticking it alone would otherwise be lost at close.
    connect(BitNumbering, &QCheckBox::toggled, this, &SequencerSettingsPanel::SeqSetChange);
    connect(SpecFunctEnable, &QCheckBox::toggled, this, &SequencerSettingsPanel::takeControls);
    connect(AutoStart, &QCheckBox::toggled, this, &SequencerSettingsPanel::takeControls);
    connect(SeqPath, &QLineEdit::textChanged, this, &SequencerSettingsPanel::takeControls);
    connect(LoadLastSeqFile, &QCheckBox::toggled, this, &SequencerSettingsPanel::LoadLastSeqFileClick);
    connect(Button13, &QPushButton::clicked, this, &SequencerSettingsPanel::Button13Click);
    connect(Label124, &QLabel::linkActivated, this, &SequencerSettingsPanel::Label124Click);
    connect(Button12, &QPushButton::clicked, this, &SequencerSettingsPanel::Button12Click);
    connect(m_folders, &TSelDirDlg::folderChosen, SeqPath, &QLineEdit::setText);
}

void SequencerSettingsPanel::buildLanguageControls()
{
    makeLabel(this, QStringLiteral("Comment Character"), 14, 26, 150);
    CommentChar = makeCharEdit(this, "CommentChar", 170, 26);
    makeLabel(this, QStringLiteral("Use this character for non-transmitted data."), 206, 26, 300);

    makeLabel(this, QStringLiteral("Escape Character"), 14, 54, 150);
    EscapeChar = makeCharEdit(this, "EscapeChar", 170, 54);
    auto *example = makeLabel(this, QStringLiteral("Example: ~013 sends a carriage return (byte 13)."), 206, 54, 300);
    example->setObjectName(QStringLiteral("EscapeExample"));

    makeLabel(this, QStringLiteral("Print Control Character . . . ."), 14, 82, 170);
    makeLabel(this, QStringLiteral("ON"), 190, 82, 24);
    PrintCtrlOn = makeCharEdit(this, "PrintCtrlOn", 214, 82);
    makeLabel(this, QStringLiteral("OFF"), 252, 82, 28);
    PrintCtrlOff = makeCharEdit(this, "PrintCtrlOff", 282, 82);

    makeLabel(this, QStringLiteral("Special Function ,  Start:"), 14, 110, 150);
    SpecFunctStart = makeCharEdit(this, "SpecFunctStart", 170, 110);
    makeLabel(this, QStringLiteral("Stop:"), 206, 110, 36);
    SpecFunctEnd = makeCharEdit(this, "SpecFunctEnd", 242, 110);
    SpecFunctEnable = makeCheckBox(this, "SpecFunctEnable", QStringLiteral("Enable"), 284, 110, 80);
    Label124 = makeLabel(this, QStringLiteral("<a href=\"help\">HELP</a>"), 370, 110, 50);
    Label124->setObjectName(QStringLiteral("Label124"));
    Label124->setToolTip(QStringLiteral("Special Function Help"));
    Label124->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);

    makeLabel(this, QStringLiteral("Default New Entry Time"), 14, 138, 150);
    NewEntry = makeEdit(this, "NewEntry", 170, 138, 60, 10);
    makeLabel(this, QStringLiteral("mS"), 236, 138, 30);
    BitNumbering = makeCheckBox(this, "BitNumbering", QStringLiteral("Number Bits 0..31"), 284, 138, 160);

    Button13 = new QPushButton(QStringLiteral("RESET DEFAULTS"), this);
    Button13->setObjectName(QStringLiteral("Button13"));
    Button13->setGeometry(14, 166, 130, 26);
}

void SequencerSettingsPanel::buildScriptControls()
{
    auto *script = makeLabel(this, QStringLiteral("SCRIPT"), 520, 26, 80);
    auto *directory = makeLabel(this, QStringLiteral("DIRECTORY"), 520, 42, 80);
    QFont bold = script->font();
    bold.setBold(true);
    script->setFont(bold);
    directory->setFont(bold);
    SeqPath = makeEdit(this, "SeqPath", 600, 32, 150, 32767);
    SeqPath->setToolTip(QStringLiteral("Folder where the sequence file choosers start"));
    Button12 = new QPushButton(QStringLiteral("BROWSE"), this);
    Button12->setObjectName(QStringLiteral("Button12"));
    Button12->setGeometry(756, 31, 76, 24);

    LoadLastSeqFile = makeCheckBox(this, "LoadLastSeqFile", QStringLiteral("Load Last Sequencer File Automatically"),
                                   520, 82, 312);
    AutoStart = makeCheckBox(this, "AutoStart", QStringLiteral("Start Sequencer Automatically after loading"), 520, 110,
                             312);
}

void SequencerSettingsPanel::showSettings()
{
    m_showing = true;
    CommentChar->setText(m_settings.commentChar);
    EscapeChar->setText(m_settings.escapeChar);
    PrintCtrlOn->setText(m_settings.printOn);
    PrintCtrlOff->setText(m_settings.printOff);
    SpecFunctEnable->setChecked(m_settings.specialEnabled);
    SpecFunctStart->setText(m_settings.specialStart);
    SpecFunctEnd->setText(m_settings.specialEnd);
    NewEntry->setText(m_settings.newEntryTime);
    BitNumbering->setChecked(m_settings.bitNumbering);
    SeqPath->setText(m_settings.filePath);
    LoadLastSeqFile->setChecked(m_settings.loadLastFile);
    AutoStart->setChecked(m_settings.autoStart);
    m_showing = false;
}

void SequencerSettingsPanel::takeControls()
{
    if (m_showing)
        return;
    m_settings.commentChar = CommentChar->text();
    m_settings.escapeChar = EscapeChar->text();
    m_settings.printOn = PrintCtrlOn->text();
    m_settings.printOff = PrintCtrlOff->text();
    m_settings.specialEnabled = SpecFunctEnable->isChecked();
    m_settings.specialStart = SpecFunctStart->text();
    m_settings.specialEnd = SpecFunctEnd->text();
    m_settings.newEntryTime = NewEntry->text();
    m_settings.bitNumbering = BitNumbering->isChecked();
    m_settings.filePath = SeqPath->text();
    m_settings.loadLastFile = LoadLastSeqFile->isChecked();
    m_settings.autoStart = AutoStart->isChecked();
    Q_EMIT settingsChanged();
}

void SequencerSettingsPanel::SeqSetChange()
{
    takeControls();
    if (m_showing || !m_console.settingsLoaded())
        return;
    const SequencerSettings &s = m_settings;
    m_console.saveSettings([&](SettingsFile &file) {
        write(file, key::CommentChar, s.commentChar);
        write(file, key::EscapeChar, s.escapeChar);
        write(file, key::NETime, s.newEntryTime);
        write(file, key::BitNumbering, s.bitNumbering);
    });
}

void SequencerSettingsPanel::Button13Click()
{
    CommentChar->setText(QString::fromLatin1(key::CommentChar.def));
    EscapeChar->setText(QString::fromLatin1(key::EscapeChar.def));
    PrintCtrlOn->setText(QString::fromLatin1(key::PrintON.def));
    PrintCtrlOff->setText(QString::fromLatin1(key::PrintOFF.def));
    NewEntry->setText(QString::fromLatin1(key::NETime.def));
    BitNumbering->setChecked(false);
}

void SequencerSettingsPanel::Label124Click()
{
    m_help->showCentred();
}

void SequencerSettingsPanel::Button12Click()
{
    m_folders->showAt(SeqPath->text());
}

void SequencerSettingsPanel::LoadLastSeqFileClick()
{
    takeControls();
    if (m_showing || !m_console.settingsLoaded())
        return;
    const bool load = LoadLastSeqFile->isChecked();
    m_console.saveSettings([&](SettingsFile &file) { write(file, key::LoadLastSeqFile, load); });
}
