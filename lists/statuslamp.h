#ifndef LISTFORGE_LISTS_STATUSLAMP_H
#define LISTFORGE_LISTS_STATUSLAMP_H

#include <QObject>
#include <QPixmap>
#include <QTimer>

class QLabel;

// A status lamp on an icon label: red for error, a blinking yellow while busy, green when ready.
// The lamp owns its blink timer but does not connect it: the owner connects timer() to its own
// toggle slot, so that the blinking stays visible as a slot of the dialog.
class StatusLamp : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Unset,
        Error,
        Busy,
        Ready
    };

    static constexpr int BlinkIntervalMs = 250;

    StatusLamp(QLabel *label, QObject *parent = nullptr);

    void setState(State state);
    State state() const { return m_state; }

    // One blink step: hides a shown label and shows a hidden one.
    void toggle();

    QTimer *timer() { return &m_timer; }
    bool isBlinking() const { return m_timer.isActive(); }

private:
    QLabel *m_label;
    QTimer m_timer;
    State m_state = State::Unset;
    QPixmap m_red;
    QPixmap m_yellow;
    QPixmap m_green;
};

#endif
