#include "sequencer/steplanguage.h"

#include "sequencer/sequence.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A notation character: the first character of its setting, none when the setting is empty.
std::optional<QChar> notation(const QString &setting)
{
    if (setting.isEmpty())
        return std::nullopt;
    return setting.front();
}

bool is(QChar c, const std::optional<QChar> &n)
{
    return n && c == *n;
}

// Commands are byte strings: every character stands for the byte of the same value.
char byteOf(QChar c)
{
    return static_cast<char>(static_cast<unsigned char>(c.unicode() & 0xFF));
}

QByteArray bytesOf(QStringView text)
{
    return text.toLatin1();
}

// The examination of one command, character by character.
class Examiner
{
public:
    Examiner(const QString &command, const StepLanguage &language, bool printEnabled, int stepCount, StepLine &line)
        : m_text(command)
        , m_language(language)
        , m_line(line)
        , m_stepCount(stepCount)
        , m_comment(notation(language.commentChar))
        , m_escape(notation(language.escapeChar))
        , m_printOn(notation(language.printOn))
        , m_printOff(notation(language.printOff))
        , m_start(notation(language.specialStart))
        , m_end(notation(language.specialEnd))
    {
        m_outcome.printEnabled = printEnabled;
    }

    StepOutcome run()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (is(c, m_comment))
                skipComment();
            else if (c == u'[' || c == u']' || is(c, m_start) || is(c, m_end))
                bracketOrSpecial(c);
            else if (is(c, m_escape))
                escape();
            else if (is(c, m_printOn))
                m_outcome.printEnabled = true;
            else if (is(c, m_printOff))
                m_outcome.printEnabled = false;
            else
                m_line.send(byteOf(c));
        }
        return m_outcome;
    }

private:
    // The text from here up to the next delimiter, which is consumed; to the end of the
    // command when there is none.
    QStringView fieldUpTo(QChar delimiter)
    {
        const qsizetype end = m_text.indexOf(delimiter, m_pos);
        const qsizetype stop = end < 0 ? m_text.size() : end;
        const QStringView field = QStringView(m_text).mid(m_pos, stop - m_pos);
        m_pos = end < 0 ? m_text.size() : end + 1;
        return field;
    }

    void skipComment()
    {
        const qsizetype close = m_text.indexOf(*m_comment, m_pos);
        m_pos = close < 0 ? m_text.size() : close + 1;
    }

    void escape()
    {
        const QStringView digits = QStringView(m_text).mid(m_pos, 3);
        m_pos += digits.size();
        m_line.send(static_cast<char>(lenientNumber(digits) & 0xFF));
    }

    QChar peek() const { return m_pos < m_text.size() ? m_text.at(m_pos) : QChar(); }

    void bracketOrSpecial(QChar c)
    {
        if (m_language.specialEnabled && is(c, m_start) && m_text.size() > 4) {
            specialFunction();
        } else if (c == u'[' && (peek() == u'C' || peek() == u'c')) {
            ++m_pos;
            decision(Decision::Condition);
        } else if (c == u'[' && (peek() == u'B' || peek() == u'b')) {
            ++m_pos;
            decision(Decision::BitTest);
        } else if (c == u'[') {
            receive();
        }
        // "]", the stop character and a start character that opens nothing are dropped.
    }

    StepReply read(int count)
    {
        StepReply reply = m_line.readReply(count);
        if (m_outcome.printEnabled)
            m_outcome.response += reply.text + ' ';
        return reply;
    }

    void receive()
    {
        const int count = lenientNumber(fieldUpTo(u']'));
        const StepReply reply = read(count);
        m_line.showActivity(reply.count == count ? QStringLiteral("RXOK") : QStringLiteral("RXCNT"));
    }

    enum class Decision { Condition, BitTest };

    void decision(Decision kind)
    {
        // The opening parenthesis, whatever stands there.
        if (m_pos < m_text.size())
            ++m_pos;
        const int count = lenientNumber(fieldUpTo(u','));
        const StepReply reply = read(count);
        const QByteArray op = bytesOf(fieldUpTo(u','));
        const QStringView value = fieldUpTo(u',');
        const int trueIndex = lenientNumber(fieldUpTo(u',')) - 1;
        const int falseIndex = lenientNumber(fieldUpTo(u')')) - 1;
        // The closing bracket, unexamined.
        if (m_pos < m_text.size())
            ++m_pos;

        const int chosen = kind == Decision::Condition
            ? CompareReply(op, reply.text, bytesOf(value), trueIndex, falseIndex)
            : TestReplyBit(op, reply.text, lenientNumber(value), trueIndex, falseIndex);
        m_outcome.jumpTo = correctJumpTarget(chosen, m_stepCount);
    }

    void specialFunction()
    {
        const QStringView name = QStringView(m_text).mid(m_pos, 3);
        const bool known = name == u"BR=" || name == u"TS=" || name == u"CP=";
        if (!known)
            return;   // only the start character is dropped
        m_pos += 3;
        QString argument;
        if (m_end) {
            argument = fieldUpTo(*m_end).toString();
        } else {
            argument = m_text.mid(m_pos);
            m_pos = m_text.size();
        }
        if (name == u"BR=") {
            if (!m_line.changeBaudRate(argument)) {
                // What follows would go to a closed port.
                m_outcome.rateRefused = true;
                m_pos = m_text.size();
            }
        }
        else if (name == u"TS=")
            m_line.moveTimeScale(sliderPositionForArgument(argument));
        else
            m_line.changePort(argument);
    }

    const QString &m_text;
    const StepLanguage &m_language;
    StepLine &m_line;
    const int m_stepCount;
    const std::optional<QChar> m_comment, m_escape, m_printOn, m_printOff, m_start, m_end;
    qsizetype m_pos = 0;
    StepOutcome m_outcome;
};

// -1, 0 or 1: byte-wise order, a prefix first.
int textOrder(const QByteArray &a, const QByteArray &b)
{
    const int c = QByteArrayView(a).compare(QByteArrayView(b), Qt::CaseSensitive);
    return (c > 0) - (c < 0);
}

} // namespace

StepOutcome examineCommand(const QString &command, const StepLanguage &language, bool printEnabled, int stepCount,
                           StepLine &line)
{
    return Examiner(command, language, printEnabled, stepCount, line).run();
}

int CompareReply(const QByteArray &op, const QByteArray &reply, const QByteArray &value, int trueIndex,
                 int falseIndex)
{
    const int order = textOrder(reply, value);
    bool holds = false;
    if (op == "EQ")
        holds = order == 0;
    else if (op == "NE")
        holds = order != 0;
    else if (op == "GT")
        holds = order > 0;
    else if (op == "GE")
        holds = order >= 0;
    else if (op == "LT")
        holds = order < 0;
    return holds ? trueIndex : falseIndex;
}

quint32 replyHexValue(const QByteArray &reply)
{
    qsizetype i = 0;
    while (i < reply.size() && reply.at(i) == ' ')
        ++i;
    if (i + 1 < reply.size() && reply.at(i) == '0' && (reply.at(i + 1) == 'x' || reply.at(i + 1) == 'X'))
        i += 2;
    quint32 value = 0;
    for (; i < reply.size(); ++i) {
        const char c = reply.at(i);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

int TestReplyBit(const QByteArray &op, const QByteArray &reply, int bit, int trueIndex, int falseIndex)
{
    // A negative bit number counts from the top, as a bit position modulo 32 does.
    const int position = ((bit % 32) + 32) % 32;
    const bool set = (replyHexValue(reply) >> position) & 1u;
    if (op == "BS")
        return set ? trueIndex : falseIndex;
    if (op == "BC")
        return set ? falseIndex : trueIndex;
    return falseIndex;
}

int correctJumpTarget(int index, int stepCount)
{
    if (index >= stepCount)
        index = 0;
    if (index < 0)
        index = 1;
    return index;
}

int nextStepIndex(const QString &nextSeq)
{
    const int n = lenientNumber(nextSeq);
    return n == std::numeric_limits<int>::min() ? n : n - 1;
}

float timeScaleForSlider(int position)
{
    position = std::clamp(position, 0, 100);
    double scale;
    if (position < 50) {
        scale = position * 0.02;
        if (scale == 0)
            scale = 0.01;
    } else {
        scale = 1 + (position - 50) * 0.02 * 9;
    }
    return static_cast<float>(scale);
}

QString timeScaleLabel(float timeScale)
{
    return QString::asprintf("%3.2f", double(timeScale));
}

int sliderPositionForArgument(const QString &argument)
{
    return std::clamp(lenientNumber(argument), 0, 100);
}

std::chrono::milliseconds stepInterval(int delayMs, float timeScale)
{
    const double d = std::max(delayMs, 0);
    const double ms = std::trunc(d * double(timeScale) + 1.0);
    constexpr double longest = double(std::numeric_limits<int>::max());
    return std::chrono::milliseconds(qint64(std::min(ms, longest)));
}

std::chrono::milliseconds stepInterval(const QString &delay, float timeScale)
{
    return stepInterval(lenientNumber(delay), timeScale);
}
