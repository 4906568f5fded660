#include "app/workspacetabs.h"

namespace WorkspaceTabs {

QStringList hideableCaptions()
{
    return {QStringLiteral("Digital Monitor"), QStringLiteral("Analog Monitor"), QStringLiteral("Relay Control"),
            QStringLiteral("Terminal Emulator"), QStringLiteral("Sequencer"), QStringLiteral("Flash Updater")};
}

QString configurationCaption()
{
    return QStringLiteral("Configuration Menu");
}

QStringList startProgItems()
{
    QStringList items = hideableCaptions();
    items.append(QStringLiteral("Configure"));
    return items;
}

QStringList tabList(const HiddenFlags &hidden)
{
    const QStringList captions = hideableCaptions();
    QStringList tabs;
    for (int i = 0; i < Hideable; ++i) {
        if (!hidden[size_t(i)])
            tabs.append(captions[i]);
    }
    tabs.append(configurationCaption());
    return tabs;
}

StartChoice chooseStart(const HiddenFlags &hidden, const QString &startProg)
{
    StartChoice choice;
    const QStringList captions = hideableCaptions();
    int counter = 0;
    for (int i = 0; i < Hideable; ++i) {
        if (hidden[size_t(i)])
            continue;
        choice.tabs.append(captions[i]);
        if (captions[i] == startProg) {
            choice.tabIndex = counter;
            choice.startProgItem = i;
        }
        ++counter;
    }
    choice.tabs.append(configurationCaption());
    if (startProg == QLatin1String("Configure")) {
        choice.tabIndex = int(choice.tabs.size()) - 1;
        choice.startProgItem = Hideable;
    }
    return choice;
}

} // namespace WorkspaceTabs
