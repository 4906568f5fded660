#include "serial/fakeserialdriver.h"
#include "serial/linesettings.h"
#include "serial/tcom.h"
#include "serialprint.h"

#include <QTest>

Q_DECLARE_METATYPE(FlowChoice)
Q_DECLARE_METATYPE(FlowMode)
Q_DECLARE_METATYPE(LineConfig)
Q_DECLARE_METATYPE(OpenError)

namespace {

// The codes as a compact text, so a table row reads "parity-data-stop".
QString codes(const LineSettings &s)
{
    return QStringLiteral("%1-%2-%3").arg(s.parityCode).arg(s.dataBitsCode).arg(s.stopBitsCode);
}

LineOpenRequest request(const QString &port, const QString &baud, const QString &format)
{
    LineOpenRequest r;
    r.portText = port;
    r.baudText = baud;
    r.specText = format;
    ParseComSpec(format, r.settings);
    return r;
}

} // namespace

class LineSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menus();
    void rateTable_data();
    void rateTable();
    void portNumber_data();
    void portNumber();
    void parseComSpec_data();
    void parseComSpec();
    void openTexts_data();
    void openTexts();
    void openAppliesFormatAndRate();
    void everyRateOfTheDriverOpens_data();
    void everyRateOfTheDriverOpens();
    void aTextThatNamesNoRateIsRefused_data();
    void aTextThatNamesNoRateIsRefused();
    void powerLines_data();
    void powerLines();
    void failedOpenLeavesThePortClosed_data();
    void failedOpenLeavesThePortClosed();
    void portTextWithoutNumberClosesAnOpenPort();
    void failureHints_data();
    void failureHints();
    void quietReopenFromTheCodes();
};

void LineSettingsTest::menus()
{
    QCOMPARE(baudMenuItems(), (QStringList{"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                                           "115200", "230400", "460800", "921600"}));
    QCOMPARE(comSpecMenuItems(), (QStringList{"N-8-1", "N-8-2", "E-8-1", "E-8-2", "O-8-1", "O-8-2", "N-7-1", "N-7-2",
                                              "E-7-1", "E-7-2", "O-7-1", "O-7-2"}));
}

void LineSettingsTest::rateTable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");   // -1: not in the table

    const std::pair<const char *, int> rows[] = {
        {"300", 0},     {"1200", 1},    {"2400", 2},     {"4800", 3},    {"9600", 4},    {"19200", 6},
        {"38400", 8},   {"57600", 9},   {"115200", 10},  {"230400", 11}, {"460800", 12}, {"921600", 13},
        {"14400", 5},   {"28800", 7},   {"1843200", 14}, {"600", -1},    {"12345", -1},  {"9600 ", -1},
        {" 9600", -1},  {"09600", -1},  {"+9600", -1},   {"", -1},
    };
    for (const auto &[text, code] : rows)
        QTest::addRow("\"%s\"", text) << QString::fromLatin1(text) << code;
}

void LineSettingsTest::rateTable()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(baudCodeForText(text).value_or(-1), code);
}

void LineSettingsTest::portNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");   // -1: none

    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("COM255") << "COM255" << 255;
    QTest::newRow("leading zero") << "COM007" << 7;
    QTest::newRow("only the position counts") << "com3" << 3;
    QTest::newRow("COM alone") << "COM" << -1;
    QTest::newRow("Scanning") << "Scanning" << -1;
    QTest::newRow("sign") << "COM+1" << -1;
    QTest::newRow("blank") << "COM 1" << -1;
    QTest::newRow("trailing text") << "COM1 NA" << -1;
    QTest::newRow("hexadecimal") << "COM0x1" << -1;
    QTest::newRow("too long") << "COM99999999999" << -1;
    QTest::newRow("empty") << "" << -1;
}

void LineSettingsTest::portNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(portNumberFromText(text).value_or(-1), number);
}

void LineSettingsTest::parseComSpec_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("codes");   // parity-data-stop, starting from 2-0-1 (O-7-2)

    QTest::newRow("N-8-1") << "N-8-1" << "0-1-0";
    QTest::newRow("E-7-2") << "E-7-2" << "1-0-1";
    QTest::newRow("O-8-1") << "O-8-1" << "2-1-0";
    QTest::newRow("N-8 keeps the stop bits") << "N-8" << "0-1-1";
    QTest::newRow("lower case changes nothing") << "n-8-1" << "2-1-0";
    QTest::newRow("unknown characters change nothing") << "X-9-3" << "2-0-1";
    QTest::newRow("other separators are ignored") << "E/8/1" << "1-1-0";
    QTest::newRow("empty") << "" << "2-0-1";
    QTest::newRow("mark parity is not offered") << "M-8-1" << "2-1-0";
}

void LineSettingsTest::parseComSpec()
{
    QFETCH(QString, text);
    QFETCH(QString, codes);
    LineSettings s;
    s.parityCode = 2;
    s.dataBitsCode = 0;
    s.stopBitsCode = 1;
    ParseComSpec(text, s);
    QCOMPARE(::codes(s), codes);
}

void LineSettingsTest::openTexts_data()
{
    QTest::addColumn<bool>("flowEnabled");
    QTest::addColumn<FlowChoice>("flow");
    QTest::addColumn<bool>("power");
    QTest::addColumn<bool>("dtr");
    QTest::addColumn<bool>("rts");
    QTest::addColumn<QString>("status");
    QTest::addColumn<FlowMode>("mode");

    QTest::newRow("both power lines, no flow")
        << false << FlowChoice::None << true << true << true << "Port Open - COM3,19200,N-8-1{DTR,RTS},NO FLOW" << FlowMode::None;
    QTest::newRow("xon/xoff, no power")
        << true << FlowChoice::XonXoff << false << false << false << "Port Open - COM3,19200,N-8-1,XON" << FlowMode::XonXoff;
    QTest::newRow("dtr/dsr") << true << FlowChoice::DtrDsr << false << false << false << "Port Open - COM3,19200,N-8-1,DTR"
                             << FlowMode::DtrDsr;
    QTest::newRow("cts/rts, DTR only") << true << FlowChoice::CtsRts << true << true << false
                                       << "Port Open - COM3,19200,N-8-1{DTR},CTS" << FlowMode::CtsRts;
    QTest::newRow("flow NONE chosen") << true << FlowChoice::None << false << false << false
                                      << "Port Open - COM3,19200,N-8-1,NO FLOW" << FlowMode::None;
    QTest::newRow("flow disabled while cts/rts is chosen")
        << false << FlowChoice::CtsRts << false << false << false << "Port Open - COM3,19200,N-8-1,NO FLOW" << FlowMode::None;
    QTest::newRow("RTS only") << false << FlowChoice::None << true << false << true << "Port Open - COM3,19200,N-8-1{RTS},NO FLOW"
                              << FlowMode::None;
    QTest::newRow("power, neither line") << false << FlowChoice::None << true << false << false
                                         << "Port Open - COM3,19200,N-8-1,NO FLOW" << FlowMode::None;
}

void LineSettingsTest::openTexts()
{
    QFETCH(bool, flowEnabled);
    QFETCH(FlowChoice, flow);
    QFETCH(bool, power);
    QFETCH(bool, dtr);
    QFETCH(bool, rts);
    QFETCH(QString, status);
    QFETCH(FlowMode, mode);

    FakeSerialDriver driver;
    auto line = driver.addPort(3);
    TCom com(driver);
    LineOpenRequest r = request("COM3", "19200", "N-8-1");
    r.flowEnabled = flowEnabled;
    r.flow = flow;
    r.powerEnabled = power;
    r.dtr = dtr;
    r.rts = rts;
    const LineOpenResult result = openMainPort(com, r);
    QVERIFY(result.opened);
    QCOMPARE(portOpenText(r, result), status);
    QCOMPARE(line->config().flow, mode);
    QCOMPARE(com.getFlowCtl(), result.settings.flowCode);
}

void LineSettingsTest::openAppliesFormatAndRate()
{
    FakeSerialDriver driver;
    auto line = driver.addPort(1);
    TCom com(driver);
    const LineOpenRequest r = request("COM1", "9600", "E-7-2");
    const LineOpenResult result = openMainPort(com, r);
    QVERIFY(result.opened);
    QVERIFY(com.comStatus());
    QCOMPARE(line->config(), (LineConfig{9600, 7, Parity::Even, 2, FlowMode::None}));
    QCOMPARE(portOpenText(r, result), QStringLiteral("Port Open - COM1,9600,E-7-2,NO FLOW"));
    QCOMPARE(result.settings.port, 1);
    QCOMPARE(result.settings.baudCode, 4);
}

void LineSettingsTest::everyRateOfTheDriverOpens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("rate");
    // Not only the menu's rates: the sequencer's "BR=" and a hand-edited file may name others.
    QTest::newRow("14400") << "14400" << 5 << 14400;
    QTest::newRow("28800") << "28800" << 7 << 28800;
    QTest::newRow("1843200") << "1843200" << 14 << 1843200;
    QTest::newRow("300") << "300" << 0 << 300;
}

void LineSettingsTest::everyRateOfTheDriverOpens()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(int, rate);
    FakeSerialDriver driver;
    auto line = driver.addPort(2);
    TCom com(driver);
    LineOpenRequest r = request("COM2", text, "N-8-1");
    r.settings.baudCode = 9;   // 57600 from an earlier choice
    const LineOpenResult result = openMainPort(com, r);
    QVERIFY(result.opened);
    QCOMPARE(result.settings.baudCode, code);
    QCOMPARE(line->config().baudRate, rate);
    QCOMPARE(portOpenText(r, result), QStringLiteral("Port Open - COM2,%1,N-8-1,NO FLOW").arg(text));
}

void LineSettingsTest::aTextThatNamesNoRateIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("600, offered by the menu") << "600";
    QTest::newRow("12345") << "12345";
    QTest::newRow("leading zero") << "09600";
    QTest::newRow("empty") << "";
}

void LineSettingsTest::aTextThatNamesNoRateIsRefused()
{
    QFETCH(QString, text);
    FakeSerialDriver driver;
    auto line = driver.addPort(2);
    TCom com(driver);
    QVERIFY(openMainPort(com, request("COM2", "9600", "N-8-1")).opened);
    LineOpenRequest r = request("COM2", text, "N-8-1");
    r.settings.baudCode = 9;
    const LineOpenResult result = openMainPort(com, r);
    QVERIFY(!result.opened);
    QVERIFY(!com.comStatus());
    QVERIFY(!line->isOpen());   // an open port is closed, not left at the old rate
    QCOMPARE(result.settings.baudCode, 9);
    QCOMPARE(result.error, OpenError::SettingsRefused);
    QCOMPARE(result.errorDetail, rateRefusalHint(text));
    QVERIFY2(result.errorDetail.startsWith(text + QStringLiteral(" baud is not a rate")), qPrintable(result.errorDetail));
    QCOMPARE(portOpenText(r, result), QStringLiteral("Port Closed"));
}

void LineSettingsTest::powerLines_data()
{
    QTest::addColumn<bool>("power");
    QTest::addColumn<bool>("dtr");
    QTest::addColumn<bool>("rts");
    QTest::addColumn<QStringList>("after");   // events once the port is configured

    QTest::newRow("both") << true << true << true << QStringList{"DTR on", "RTS on"};
    QTest::newRow("RTS only") << true << false << true << QStringList{"DTR off", "RTS on"};
    QTest::newRow("DTR only") << true << true << false << QStringList{"DTR on", "RTS off"};
    QTest::newRow("neither") << true << false << false << QStringList{"DTR off", "RTS off"};
    QTest::newRow("no power control") << false << true << true << QStringList{};
}

void LineSettingsTest::powerLines()
{
    QFETCH(bool, power);
    QFETCH(bool, dtr);
    QFETCH(bool, rts);
    QFETCH(QStringList, after);

    FakeSerialDriver driver;
    auto line = driver.addPort(4);
    TCom com(driver);
    LineOpenRequest r = request("COM4", "9600", "N-8-1");
    r.powerEnabled = power;
    r.dtr = dtr;
    r.rts = rts;
    QVERIFY(openMainPort(com, r).opened);
    const QStringList opening{"open", "configure", "DTR off", "RTS off"};
    QCOMPARE(line->events(), opening + after);
}

void LineSettingsTest::failedOpenLeavesThePortClosed_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<OpenError>("portError");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<OpenError>("reported");

    QTest::newRow("absent") << "COM9" << OpenError::None << false << OpenError::NoSuchDevice;
    QTest::newRow("busy") << "COM5" << OpenError::Busy << false << OpenError::Busy;
    QTest::newRow("permission") << "COM5" << OpenError::PermissionDenied << false << OpenError::PermissionDenied;
    QTest::newRow("settings refused") << "COM5" << OpenError::None << true << OpenError::SettingsRefused;
    QTest::newRow("no number") << "Scanning" << OpenError::None << false << OpenError::NoSuchDevice;
}

void LineSettingsTest::failedOpenLeavesThePortClosed()
{
    QFETCH(QString, port);
    QFETCH(OpenError, portError);
    QFETCH(bool, refuse);
    QFETCH(OpenError, reported);

    FakeSerialDriver driver;
    auto line = driver.addPort(5);
    line->setOpenError(portError);
    line->setRefuseConfigure(refuse);
    TCom com(driver);
    LineOpenRequest r = request(port, "9600", "E-7-1");
    r.powerEnabled = true;
    r.dtr = true;
    const LineOpenResult result = openMainPort(com, r);
    QVERIFY(!result.opened);
    QVERIFY(!com.comStatus());
    QVERIFY(!line->isOpen());
    QCOMPARE(result.error, reported);
    QVERIFY(!result.errorDetail.isEmpty());
    QCOMPARE(portOpenText(r, result), QStringLiteral("Port Closed"));
    QVERIFY(result.powerText.isEmpty());
    QVERIFY(!line->events().contains(QStringLiteral("DTR on")));
}

void LineSettingsTest::portTextWithoutNumberClosesAnOpenPort()
{
    FakeSerialDriver driver;
    auto line = driver.addPort(1);
    TCom com(driver);
    QVERIFY(openMainPort(com, request("COM1", "9600", "N-8-1")).opened);
    const LineOpenResult result = openMainPort(com, request("Scanning", "9600", "N-8-1"));
    QVERIFY(!result.opened);
    QVERIFY(!line->isOpen());
    QCOMPARE(result.settings.port, 1);   // the number in use stays as it was
}

void LineSettingsTest::failureHints_data()
{
    QTest::addColumn<OpenError>("error");
    QTest::addColumn<QString>("expected");   // a phrase the hint must carry

    QTest::newRow("absent") << OpenError::NoSuchDevice << "COM4: no such device";
    QTest::newRow("busy") << OpenError::Busy << "COM4 is held by another program";
    QTest::newRow("permission") << OpenError::PermissionDenied << "sudo usermod -aG dialout $USER), then log in again";
    QTest::newRow("refused") << OpenError::SettingsRefused << "COM4 refused the line settings";
    QTest::newRow("other") << OpenError::Other << "COM4 could not be opened";
}

void LineSettingsTest::failureHints()
{
    QFETCH(OpenError, error);
    QFETCH(QString, expected);
    const QString hint = openFailureHint(QStringLiteral("COM4"), error, QStringLiteral("/dev/ttyUSB0: why"));
    QVERIFY2(hint.contains(expected), qPrintable(hint));
    QVERIFY2(hint.contains(QLatin1String("(/dev/ttyUSB0: why)")), qPrintable(hint));
    QVERIFY(openFailureHint(QStringLiteral("COM4"), OpenError::None, QString()).isEmpty());
}

void LineSettingsTest::quietReopenFromTheCodes()
{
    FakeSerialDriver driver;
    auto line = driver.addPort(2);
    TCom com(driver);
    LineSettings s;
    s.port = 2;
    s.baudCode = 6;
    s.flowCode = 2;
    s.dataBitsCode = 0;
    s.stopBitsCode = 1;
    s.parityCode = 1;
    QCOMPARE(openPortFromSettings(com, s), 0);
    QCOMPARE(line->config(), (LineConfig{19200, 7, Parity::Even, 2, FlowMode::CtsRts}));
    QCOMPARE(line->events(), (QStringList{"open", "configure", "DTR off", "RTS on"}));

    line->setRefuseConfigure(true);
    QCOMPARE(openPortFromSettings(com, s), -3);
    QVERIFY(com.comStatus());   // left for the caller to close
}

QTEST_GUILESS_MAIN(LineSettingsTest)
#include "tst_linesettings.moc"
