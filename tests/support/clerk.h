#pragma once

// Header-only: a step that never comes ends the program, so only tests
// linking the core use it.

#include "app/shell.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

// Plays the operator: each step waits until its window is up and then acts
// from the event loop of whatever modal run is going on. An action may open
// a nested modal run of its own, so it never runs inside the polling tick.
class Clerk : public QObject {
public:
    Clerk()
    {
        connect(&m_poll, &QTimer::timeout, this, &Clerk::poll);
        m_poll.start(5);
        // A step that never comes would hang the modal runs: end them all.
        m_watchdog.setSingleShot(true);
        connect(&m_watchdog, &QTimer::timeout, this, [this] {
            m_timedOut = true;
            endProgram();
        });
        m_watchdog.start(20000);
    }

    void when(std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.append({std::move(ready), std::move(act)});
    }

    bool done() const { return m_steps.isEmpty() && !m_pending; }
    bool timedOut() const { return m_timedOut; }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void poll()
    {
        if (m_pending || m_steps.isEmpty() || !m_steps.first().ready())
            return;
        const Step step = m_steps.takeFirst();
        m_pending = true;
        QTimer::singleShot(0, this, [this, step] {
            m_pending = false;
            step.act();
        });
    }

    QList<Step> m_steps;
    bool m_pending = false;
    bool m_timedOut = false;
    QTimer m_poll;
    QTimer m_watchdog;
};
