#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// The step language: what a step's command text sends, reads and decides. Pure logic; the
// line is reached through StepLine, so the same examination runs on the line thread
// against the main port and in tests against anything.

// The notation characters, as the sequencer settings panel holds them. Only the first
// character of each text counts; an empty comment, escape, print or special-function
// start text switches that notation off, and an empty stop text lets a special
// function's argument run to the end of the command.
struct StepLanguage
{
    QString commentChar = QStringLiteral(";");
    QString escapeChar = QStringLiteral("~");
    QString printOn = QStringLiteral("$");
    QString printOff = QStringLiteral("#");
    bool specialEnabled = false;
    QString specialStart = QStringLiteral("{");
    QString specialEnd = QStringLiteral("}");

    bool operator==(const StepLanguage &) const = default;
};

// A reply as the reply reader returns it: the characters that arrived and their number.
struct StepReply
{
    QByteArray text;
    int count = 0;
};

// What a command does to the line and to the controls while it is examined. Called in the
// order the command's text asks for.
class StepLine
{
public:
    virtual ~StepLine() = default;
    virtual void send(char byte) = 0;                       // comTxChar
    virtual StepReply readReply(int count) = 0;             // ReadReply
    virtual void showActivity(const QString &text) = 0;     // SB5: "RXOK" / "RXCNT"
    // "BR=": SB2, then reopen. False when the rate was refused: the command ends there.
    virtual bool changeBaudRate(const QString &text) = 0;
    virtual void changePort(const QString &text) = 0;       // "CP=": SB1, then reopen
    virtual void moveTimeScale(int sliderPosition) = 0;     // "TS=": the slider, 0..100
};

struct StepOutcome
{
    QByteArray response;         // StepResponse: each kept reply and a blank
    bool printEnabled = true;    // PrintEnabled after the command
    // Set by a condition or bit test (StepJumped): the corrected index of the next step.
    std::optional<int> jumpTo;
    // A "BR=" whose rate was refused ended the command: nothing after it was examined.
    bool rateRefused = false;
};

// Examines one command: comments, escapes, print control, receive elements, conditions,
// bit tests and special functions. stepCount corrects jump targets.
StepOutcome examineCommand(const QString &command, const StepLanguage &language, bool printEnabled, int stepCount,
                           StepLine &line);

// CompareReply: byte-wise, case-sensitive text order, a prefix ordering first. "EQ",
// "NE", "GT", "GE", "LT" choose trueIndex when they hold; any other op, or a comparison
// that fails, chooses falseIndex.
int CompareReply(const QByteArray &op, const QByteArray &reply, const QByteArray &value, int trueIndex,
                 int falseIndex);

// The reply read as a hexadecimal number: leading blanks, an optional "0x", the hex digits
// up to the first other character (none gives 0); the low 32 bits are kept.
quint32 replyHexValue(const QByteArray &reply);

// TestReplyBit: "BS" chooses trueIndex when bit (bit mod 32, from the least significant)
// of the reply is 1, "BC" when it is 0; any other op, or a failed test, falseIndex.
int TestReplyBit(const QByteArray &op, const QByteArray &reply, int bit, int trueIndex, int falseIndex);

// A condition's or bit test's target corrected: at or beyond stepCount becomes 0, then a
// negative index becomes 1.
int correctJumpTarget(int index, int stepCount);

// The next step after a plain step: "Next Seq" (lenient) less one.
int nextStepIndex(const QString &nextSeq);

// --- Timing.

// The time scale for a slider position p (0..100): below 50, p * 0.02 (0.01 at 0); from
// 50 on, 1 + (p - 50) * 0.02 * 9. Computed in double and held in single precision.
float timeScaleForSlider(int position);
// The scale label: "%3.2f" ("1.00", "5.50").
QString timeScaleLabel(float timeScale);
// The slider position a "TS=" argument asks for: lenient, at most 100, at least 0.
int sliderPositionForArgument(const QString &argument);

// The timer interval for a step: the integer part of d * timeScale + 1, computed in double
// from the single-precision scale, d being the step's delay (lenient, negative as 0).
std::chrono::milliseconds stepInterval(const QString &delay, float timeScale);
std::chrono::milliseconds stepInterval(int delayMs, float timeScale);
