#pragma once

#include <QObject>
#include <QString>

class QWidget;
class Console;

// One workspace of the tab strip: its panel, its timer, and what the workspace change
// asks of it. The main window owns one object of each kind and never reaches into
// their controls.
class Workspace : public QObject
{
    Q_OBJECT
public:
    Workspace(const QString &caption, Console &console, QObject *parent = nullptr)
        : QObject(parent), m_caption(caption), m_console(console) {}

    QString caption() const { return m_caption; }
    virtual QWidget *panel() const = 0;

    // Every workspace change stops every workspace timer, whichever workspace is entered.
    virtual void stopTimers() {}
    // Shows the panel and starts what runs while the workspace is in front.
    virtual void enter() = 0;
    // Whether the window may be resized freely while this workspace is in front.
    virtual bool resizable() const { return false; }

protected:
    Console &console() const { return m_console; }

private:
    QString m_caption;
    Console &m_console;
};
