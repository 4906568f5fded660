#include "workspace/widgetoperatorprompt.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QVBoxLayout>

void WidgetOperatorPrompt::showMessage(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

OperatorPrompt::Answer WidgetOperatorPrompt::ask(const QString &title, const QString &text, bool withCancel)
{
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, title, text, buttons, m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

bool WidgetOperatorPrompt::confirm(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    return box.exec() == QMessageBox::Ok;
}

OperatorPrompt::Answer WidgetOperatorPrompt::askDefaultNo(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

namespace {

QString runFileDialog(QWidget *parent, const OperatorPrompt::FileChoice &choice, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, choice.title, choice.folder, choice.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Overwriting is the caller's question, asked its own way.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!choice.fileName.isEmpty() && !choice.fileName.contains(QLatin1Char('*')))
        dialog.selectFile(choice.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// The sixteen colours a font's colour is chosen from, as the Windows font chooser offers them.
struct NamedColour
{
    const char *name;
    QRgb rgb;
};

constexpr NamedColour FontColours[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000}, {"Green", 0x008000},   {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080}, {"Teal", 0x008080},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},    {"Lime", 0x00FF00},    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},   {"White", 0xFFFFFF},
};

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

QString WidgetOperatorPrompt::chooseOpenFile(const FileChoice &choice)
{
    return runFileDialog(m_parent, choice, QFileDialog::AcceptOpen);
}

QString WidgetOperatorPrompt::chooseSaveFile(const FileChoice &choice)
{
    return runFileDialog(m_parent, choice, QFileDialog::AcceptSave);
}

std::optional<OperatorPrompt::FontChoice> WidgetOperatorPrompt::chooseFont(const QString &title, const FontChoice &current)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    auto *fonts = new QFontDialog(current.font, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);

    auto *colours = new QComboBox(&dialog);
    colours->setObjectName(QStringLiteral("FontColour"));
    for (const NamedColour &named : FontColours)
        colours->addItem(swatch(QColor(named.rgb)), QString::fromLatin1(named.name), QColor(named.rgb));
    int index = colours->findData(current.colour);
    if (index < 0) {
        colours->addItem(swatch(current.colour), QStringLiteral("Custom"), current.colour);
        index = colours->count() - 1;
    }
    colours->setCurrentIndex(index);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto *colourRow = new QHBoxLayout;
    colourRow->addWidget(new QLabel(QStringLiteral("Colour:"), &dialog));
    colourRow->addWidget(colours);
    colourRow->addStretch();
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{fonts->currentFont(), colours->currentData().value<QColor>()};
}

std::optional<QColor> WidgetOperatorPrompt::chooseColour(const QString &title, const QColor &current)
{
    const QColor chosen = QColorDialog::getColor(current, m_parent, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
