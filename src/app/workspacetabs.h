#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The workspaces of the tab strip, in tab order, and the rules that build the strip from
// the six hide boxes. "Configuration Menu" is always there, last.
namespace WorkspaceTabs {

inline constexpr int Hideable = 6;
using HiddenFlags = std::array<bool, Hideable>;

QStringList hideableCaptions();   // "Digital Monitor" ... "Flash Updater"
QString configurationCaption();   // "Configuration Menu"
QStringList startProgItems();     // the start-tab choices, "Configure" last

QStringList tabList(const HiddenFlags &hidden);

struct StartChoice
{
    QStringList tabs;
    int tabIndex = 0;       // the tab to select
    int startProgItem = -1; // the start-tab choice to select, -1 to keep what it shows
};
// The start-up choice: the tab named by startProg when it is shown, else the first.
StartChoice chooseStart(const HiddenFlags &hidden, const QString &startProg);

} // namespace WorkspaceTabs
