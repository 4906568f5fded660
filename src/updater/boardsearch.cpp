// The board searches: every address of the bus, or the scan range, asked in turn for its
// normal firmware's select reply and then for a running loader.

#include "updater/flashupdater.h"

#include "updater/firmwarefile.h"
#include "updater/loadercommands.h"

#include <algorithm>

namespace {

bool beginsWithHexDigit(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    const char c = text.at(0);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

QString buttonOf(bool all)
{
    return all ? QStringLiteral("SearchBoards") : QStringLiteral("PgmrSearchRange");
}

} // namespace

void FlashUpdater::SearchBoardsClick()
{
    searchClick(SearchKind::All);
}

void FlashUpdater::PgmrSearchRangeClick()
{
    searchClick(SearchKind::Range);
}

void FlashUpdater::searchClick(SearchKind kind)
{
    Q_EMIT focusRequested();
    if (ProgrammingActive)
        return;
    if (SearchActive) {
        // A second click on either search button stops the running search.
        SearchActive = false;
        if (!m_port)
            OpenCloseClick();
        return;
    }
    if (busy())
        return;
    start(search(kind));
}

void FlashUpdater::Button35Click()
{
    Q_EMIT focusRequested();
    if (ProgrammingActive || !SearchActive)
        return;
    SearchActive = false;
    if (!m_port)
        OpenCloseClick();
}

void FlashUpdater::ListBox1Click(const QString &entry)
{
    if (!entry.isEmpty())
        SelectedBoardType = Firmware::boardType(entry);
}

void FlashUpdater::workspaceLeft()
{
    SearchActive = false;
    CloseProgrammingPort();
}

UpdaterTask FlashUpdater::search(SearchKind kind)
{
    const bool all = kind == SearchKind::All;
    SearchActive = true;
    clearRx();
    OpenDiscoveryPort();
    if (!ProgrammingPortOpen && !m_port)
        OpenCloseClick();
    Q_EMIT boardListCleared();

    if (m_port) {
        int address = all ? 0x00 : scanFirst();
        for (;;) {
            // The range is read again before each address, so an edit moves a running search.
            if (!all)
                address = std::max(address, scanFirst());
            const int last = all ? 0xFF : scanLast();
            if (address > last || address > 0xFF)
                break;
            Q_EMIT captionChanged(buttonOf(all), QStringLiteral("SEARCH ") + QString::fromLatin1(LoaderCommands::address(address)));
            co_await probe(address);
            // A device gone ends the search here: what it found stays listed.
            if (!SearchActive || m_lineLost)
                break;
            ++address;
        }
    }

    Q_EMIT captionChanged(buttonOf(all), all ? QStringLiteral("Search All") : QStringLiteral("Search Range"));
    SearchActive = false;
    CloseProgrammingPort();
}

UpdaterTask FlashUpdater::probe(int address)
{
    QByteArray information;
    co_await exchange(LoaderCommands::selectBoard(address), 4);
    if (RxData.isEmpty()) {
        co_await exchange(LoaderCommands::loaderSelect(address), 4);
        if (!RxData.isEmpty()) {
            information = RxData;
            co_await exchange(LoaderCommands::loaderVersion(address), 7);
            if (!RxData.isEmpty()) {
                information += ':' + RxData;
                co_await exchange(LoaderCommands::loaderType(address), 7);
            }
        }
    }

    // The last reply decides: nothing from the last command asked means no board here.
    const QByteArray last = RxData;
    if (last.isEmpty())
        co_return;
    QByteArray entry = information.isEmpty() ? last : information + ':' + last;
    if (beginsWithHexDigit(entry)) {
        // A board running its normal firmware: its version follows.
        entry += ':';
        co_await exchange(LoaderCommands::boardVersion(), 5);
        if (RxData.isEmpty()) {
            send(LoaderCommands::loaderVersion(address));
            co_await waitTicks(5);
        }
        entry += RxData;
        Q_EMIT boardEntryAdded(QString::fromLatin1(entry));
    } else if (entry.startsWith("LUN")) {
        // A running loader: its address comes first, as every entry's does.
        Q_EMIT boardEntryAdded(QString::fromLatin1(entry.mid(6, 2) + ':' + entry));
    }
}
