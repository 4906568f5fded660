#include "app/mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStyleFactory>

#include <csignal>
#include <exception>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void forwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT close the window through the same path as its close box, so the
// closing settings are written however the program is ended short of a kill.
void closeOnTermination(QWidget &window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        window.close();
    });
    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("I/O VANTOR"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    try {
        TForm1 window;
        closeOnTermination(window);
        window.show();
        return app.exec();
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, QStringLiteral("I/O VANTOR"), QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
