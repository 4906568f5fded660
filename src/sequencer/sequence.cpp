#include "sequencer/sequence.h"

#include <algorithm>
#include <limits>

namespace {

const QString ClearedResponse = QStringLiteral(" ");

QString number(int n)
{
    return QString::number(n);
}

// Links held by the steps from `from` on that point above `above` move by `delta`.
void shiftLinks(Sequence &s, int from, int above, int delta)
{
    for (int k = std::max(from, 0); k < s.size(); ++k) {
        const int link = lenientNumber(s.EvNextSeq.at(k));
        if (link > above)
            s.EvNextSeq[k] = number(link + delta);
    }
}

} // namespace

void Sequence::clear()
{
    EvIndex.clear();
    EvTime.clear();
    EvCommand.clear();
    EvNextSeq.clear();
    ResponseLB.clear();
}

void Sequence::append(const QString &time, const QString &command, const QString &nextSeq)
{
    EvIndex.append(number(size() + 1));
    EvTime.append(time);
    EvCommand.append(command);
    EvNextSeq.append(nextSeq);
    ResponseLB.append(ClearedResponse);
}

void Sequence::insert(int index, const QString &time, const QString &command, const QString &nextSeq)
{
    index = std::clamp(index, 0, size());
    EvIndex.insert(index, QString());
    EvTime.insert(index, time);
    EvCommand.insert(index, command);
    EvNextSeq.insert(index, nextSeq);
    ResponseLB.insert(index, ClearedResponse);
    renumber();
}

void Sequence::remove(int index)
{
    if (index < 0 || index >= size())
        return;
    EvIndex.removeAt(index);
    EvTime.removeAt(index);
    EvCommand.removeAt(index);
    EvNextSeq.removeAt(index);
    ResponseLB.removeAt(index);
    renumber();
}

void Sequence::renumber()
{
    for (int i = 0; i < EvIndex.size(); ++i)
        EvIndex[i] = number(i + 1);
}

void Sequence::clearResponses()
{
    for (QString &response : ResponseLB)
        response = ClearedResponse;
}

void Sequence::appendNewStep(const QString &delay)
{
    const int n = size();
    EvIndex.append(number(n + 1));
    EvTime.append(delay);
    EvCommand.append(QString());
    EvNextSeq.append(number(n + 2));
    ResponseLB.append(QString());
}

int Sequence::insertBefore(int i)
{
    i = std::clamp(i, 0, size());
    const QString delay = isEmpty() ? QStringLiteral("0") : EvTime.constLast();
    insert(i, delay, QString(), number(i + 2));
    shiftLinks(*this, i + 1, i, +1);
    return i;
}

int Sequence::insertAfter(int i)
{
    if (isEmpty()) {
        // Nothing to insert after: the new step is the first, linking to the step below.
        insert(0, QStringLiteral("0"), QString(), number(2));
        return 0;
    }
    i = std::clamp(i, 0, size() - 1);
    // Delay and command go in below step i, link and response at step i: step i links to
    // the new step, which inherits step i's former link (and its last response).
    EvIndex.insert(i + 1, QString());
    EvTime.insert(i + 1, EvTime.at(i));
    EvCommand.insert(i + 1, QString());
    EvNextSeq.insert(i, number(i + 2));
    ResponseLB.insert(i, ClearedResponse);
    renumber();
    shiftLinks(*this, i + 1, i, +1);
    return i + 1;
}

int Sequence::removeStep(int d)
{
    const int n = size();
    if (d < 0 || d >= n)
        return 0;
    const int current = std::min(d, n - 2);
    remove(d);
    shiftLinks(*this, d, d, -1);
    return std::max(current, 0);
}

int lenientNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i)
        value = std::min(value * 10 + (text.at(i).unicode() - u'0'), limit);
    if (negative)
        return int(std::max(-value, qint64(std::numeric_limits<int>::min())));
    return int(std::min(value, qint64(std::numeric_limits<int>::max())));
}

QString stepField(const Sequence &s, int step, StepField field)
{
    if (step < 0 || step >= s.size())
        return QString();
    switch (field) {
    case StepField::Index: return s.EvIndex.value(step);
    case StepField::Delay: return s.EvTime.value(step);
    case StepField::Command: return s.EvCommand.value(step);
    case StepField::Next: return s.EvNextSeq.value(step);
    case StepField::Response: return s.ResponseLB.value(step);
    }
    return QString();
}

bool setStepField(Sequence &s, int step, StepField field, const QString &text)
{
    if (step < 0 || step >= s.size())
        return false;
    switch (field) {
    case StepField::Index: break;
    case StepField::Delay: s.EvTime[step] = text; break;
    case StepField::Command: s.EvCommand[step] = text; break;
    case StepField::Next: s.EvNextSeq[step] = text; break;
    case StepField::Response: s.ResponseLB[step] = text; break;
    }
    return true;
}

void StepWindow::refill(int stepCount)
{
    if (stepCount <= 0)
        return;
    const int shown = filledRows(stepCount);
    bottom = shown == rows ? top + rows - 1 : stepCount;
}

int StepWindow::filledRows(int stepCount) const
{
    return std::clamp(stepCount - top, 0, std::max(rows, 0));
}

int StepWindow::rowOf(int step, int stepCount) const
{
    if (step < top || step >= top + filledRows(stepCount))
        return -1;
    return step - top;
}

bool StepWindow::scrollDown(int stepCount)
{
    if (bottom >= stepCount - 1)
        return false;
    ++top;
    refill(stepCount);
    return true;
}

bool StepWindow::scrollUp(int stepCount)
{
    if (top <= 0)
        return false;
    --top;
    refill(stepCount);
    return true;
}

int StepWindow::rowsFor(int rowHeight, int columnsTop, int limitTop)
{
    int rows = 1;
    if (rowHeight <= 0)
        return rows;
    while (columnsTop + (rows + 1) * rowHeight + 4 <= limitTop)
        ++rows;
    return rows;
}
