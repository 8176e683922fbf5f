#include "lists/statuslamp.h"

#include <QLabel>

StatusLamp::StatusLamp(QLabel *label, QObject *parent)
    : QObject(parent), m_label(label), m_red(QStringLiteral(":/Misc/Misc/Red.png")),
      m_yellow(QStringLiteral(":/Misc/Misc/Yellow.png")), m_green(QStringLiteral(":/Misc/Misc/Green.png"))
{
    m_timer.setInterval(BlinkIntervalMs);
}

void StatusLamp::setState(State state)
{
    m_state = state;
    switch (state) {
    case State::Busy:
        m_label->setPixmap(m_yellow);
        m_timer.start();
        break;
    case State::Ready:
        m_timer.stop();
        m_label->setPixmap(m_green);
        break;
    case State::Error:
    case State::Unset:
        m_timer.stop();
        m_label->setPixmap(m_red);
        break;
    }
    // A lamp caught in the dark half of a blink must come back on with the new colour.
    m_label->show();
}

void StatusLamp::toggle()
{
    // isHidden() rather than isVisible(): the lamp must blink even while the dialog itself is
    // not on screen, so the next showing finds it in a sane state.
    m_label->setVisible(m_label->isHidden());
}
