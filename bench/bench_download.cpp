// A firmware download through the console's Flash Updater on the real threaded port: a
// 2,000-line Intel HEX file at 115200 baud (the simulated line paces every byte at that
// rate) to a loader that acknowledges each line the moment its CR has arrived. The time
// from the first byte of the first line to the last acknowledgement (the simulator's
// record) is set against what the bytes need on the wire both ways, ten bit times a
// byte; a 1 ms timer measures the longest stall of the user-interface event loop from the
// click of Program to the end.
//
//   bench_download [lines] [runs]      (default 2000 lines, 3 runs)

#include "app/mainwindow.h"
#include "boardsim/loaders.h"
#include "boardsim/simline.h"
#include "updater/updaterworkspace.h"

#include "eventloopgaps.h"
#include "startconsole.h"
#include "widgetfind.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int Baud = 115200;
constexpr double ByteMs = 10.0 * 1000.0 / Baud;   // 8N1: ten bit times a byte
constexpr double Goal = 1.0 / 0.95;

// count lines: count - 1 data records of 16 bytes each, then the end record.
QByteArray intelHex(int count)
{
    QByteArray out;
    for (int i = 0; i < count - 1; ++i) {
        const int address = (i * 16) & 0xFFFF;
        QByteArray record = QByteArray::number(16, 16).rightJustified(2, '0')
            + QByteArray::number(address, 16).rightJustified(4, '0') + "00";
        int sum = 16 + (address >> 8) + (address & 0xFF);
        for (int b = 0; b < 16; ++b) {
            const int value = (i * 7 + b * 13) & 0xFF;
            record += QByteArray::number(value, 16).rightJustified(2, '0');
            sum += value;
        }
        record += QByteArray::number((0x100 - (sum & 0xFF)) & 0xFF, 16).rightJustified(2, '0');
        out += ':' + record.toUpper() + "\r\n";
    }
    return out + ":00000001FF\r\n";
}

struct Run
{
    double lineMs = 0;     // first byte of the first line to the last 0x06
    double wireMs = 0;     // the same bytes at 115200 baud, both ways
    double uiMs = 0;       // click of Program to the end of the command
    int sentBytes = 0;
    int acknowledgements = 0;
    // Where the time beyond the wire goes: from each 0x06 to the first byte of the next
    // line (the console's turn: reader, notification, updater, writer), and from the end of
    // each line's wire time to its 0x06 (the simulated loader's).
    std::vector<double> consoleTurns;
    std::vector<double> loaderLate;
    bench::Gaps gaps;
};

Run measure(const QList<boardsim::RecordedByte> &record)
{
    Run run;
    double first = -1;
    double last = -1;
    double lineStart = -1;
    int lineBytes = 0;
    for (const boardsim::RecordedByte &b : record) {
        const double at = double(b.at.count()) / 1e6;
        if (b.direction == boardsim::Direction::ToBoard) {
            if (first < 0 && b.byte == ':')
                first = at;
            if (first < 0)
                continue;
            ++run.sentBytes;
            if (b.byte == ':') {
                if (last >= 0 && run.acknowledgements > 0)
                    run.consoleTurns.push_back(at - last);
                lineStart = at;
                lineBytes = 0;
            }
            ++lineBytes;
        } else if (first >= 0 && b.byte == 0x06) {
            ++run.acknowledgements;
            last = at;
            run.loaderLate.push_back(at - (lineStart + (lineBytes + 1) * ByteMs));
        }
    }
    run.lineMs = last - first;
    run.wireMs = (run.sentBytes + run.acknowledgements) * ByteMs;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lineCount = argc > 1 ? std::max(2, std::atoi(argv[1])) : 2000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("firmware"));
    QDir().mkpath(folder);
    {
        QFile hex(QDir(folder).filePath(QStringLiteral("big.hex")));
        if (!hex.open(QIODevice::WriteOnly))
            return 1;
        hex.write(intelHex(lineCount));
    }

    boardsim::SimLine line;
    line.setBaud(Baud);
    boardsim::LoaderBehaviour atOnce;
    atOnce.ackLatency = 0us;
    auto loader = std::make_shared<boardsim::LoaderBoard>(0x11, QByteArray(boardsim::DemoType),
                                                          boardsim::LoaderBoard::Mode::Loader, atOnce, 0us);
    line.setResponder(loader);
    const QString link = dir.filePath(QStringLiteral("ttyUSB0"));
    if (!line.open(link)) {
        std::fprintf(stderr, "bench_download: %s\n", qPrintable(line.errorString()));
        return 1;
    }
    const QString ini = dir.filePath(QStringLiteral("bench.INI"));
    {
        QFile file(ini);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[Ports]\r\nCOM1=" + link.toLocal8Bit() + "\r\n[Tester]\r\nNagScreen=1\r\nStartProg=Flash Updater\r\n"
                   "BAUDX=3\r\nBAUDAX=7\r\nSTARTIN=" + folder.toLocal8Bit() + "\r\n");
    }
    std::unique_ptr<TForm1> window = startConsole(ini);
    auto &workspace = *window->findChild<UpdaterWorkspace *>();
    FlashUpdater &updater = workspace.updater();
    // The start-up enumeration holds COM1 for a moment; the download waits for it.
    bench::measureGaps([&] { return workspace.availablePorts().contains(QStringLiteral("COM1")); }, 10s);
    auto *grid = find<QTableWidget>(window.get(), QStringLiteral("PrgFileList"));
    grid->selectRow(0);
    auto *program = find<QPushButton>(window.get(), QStringLiteral("Button16"));

    std::printf("bench_download: %d lines of Intel HEX at %d baud, a loader that acknowledges at once\n", lineCount, Baud);
    const bench::Gaps idle = bench::measureGaps(2s);
    bench::printGaps("console idle", idle);
    int met = 0;
    for (int i = 0; i < runs; ++i) {
        line.clearRecord();
        QElapsedTimer clock;
        clock.start();
        program->click();
        bench::Gaps gaps = bench::measureGaps([&] { return !updater.busy(); }, 600s);
        const double uiMs = double(clock.nsecsElapsed()) / 1e6;
        Run run = measure(line.recorded());
        const double ratio = run.lineMs / run.wireMs;
        met += ratio <= Goal && gaps.longest() < 20;
        std::printf("run %d: %d bytes sent, %d acknowledgements: wire %.1f ms, on the line %.1f ms, ratio %.4f "
                    "(goal %.3f: %s); click to end %.1f ms\n",
                    i + 1, run.sentBytes, run.acknowledgements, run.wireMs, run.lineMs, ratio, Goal,
                    ratio <= Goal ? "met" : "missed", uiMs);
        bench::printGaps("  during the download", gaps);
        const auto sum = [](const std::vector<double> &v) { return std::accumulate(v.begin(), v.end(), 0.0); };
        const auto median = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v.empty() ? 0.0 : v[v.size() / 2];
        };
        std::printf("  beyond the wire: the console's turns %.1f ms in all (median %.3f ms, longest %.3f ms), "
                    "the loader's late acknowledgements %.1f ms in all (median %.3f ms)\n",
                    sum(run.consoleTurns), median(run.consoleTurns),
                    run.consoleTurns.empty() ? 0.0 : *std::max_element(run.consoleTurns.begin(), run.consoleTurns.end()),
                    sum(run.loaderLate), median(run.loaderLate));
        if (loader->lines().size() != qsizetype(lineCount) * (i + 1))
            std::printf("  the loader kept %lld lines, not %d\n", static_cast<long long>(loader->lines().size()),
                        lineCount * (i + 1));
    }
    std::printf("runs meeting both goals (ratio <= %.3f, longest gap under 20 ms): %d of %d\n", Goal, met, runs);
    return 0;
}
