#pragma once

#include <QFrame>
#include <QLabel>

// One field of the status bar; the three line-setting fields open their menus on a click.
class StatusField : public QLabel
{
    Q_OBJECT
public:
    StatusField(const QString &name, const QString &text, int left, int width, QWidget *parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// The status bar: port, rate, format, connection, activity, and the download progress
// that stands over the activity field while the Flash Updater is shown.
class StatusBar : public QFrame
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent);

    StatusField *SB1;
    StatusField *SB2;
    StatusField *SB3;
    StatusField *Connected;
    StatusField *SB5;
    QFrame *ProgressPanel;
};
