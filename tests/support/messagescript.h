#pragma once

#include "runtime/forms/messages.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

// Answers the program's message boxes during a test instead of showing them.
// While alive it records every box (kind, title, text) in order and answers
// each from the queue given to answer(); with the queue empty a Yes/No box
// gets mrNo and any other box (OK/Cancel included) mrOk. Only one may be alive at a time; the
// destructor removes the script again.
//
//   MessageScript script;
//   script.answer(mrYes);
//   form.BitBtn3->click();
//   QCOMPARE(script.texts(), QStringList{"Hapus data?"});
class MessageScript {
public:
    MessageScript();
    ~MessageScript();
    MessageScript(const MessageScript &) = delete;
    MessageScript &operator=(const MessageScript &) = delete;

    // Queues the answer for the next box; `whileShown`, if given, runs
    // before the box is answered, as if it happened while the box was up.
    void answer(int result, std::function<void()> whileShown = {})
    {
        m_answers.enqueue({result, std::move(whileShown)});
    }

    const QList<messages::Box> &boxes() const { return m_boxes; }
    QStringList texts() const;
    QStringList titles() const;
    int count() const { return int(m_boxes.size()); }
    messages::Box last() const { return m_boxes.last(); }
    void clear() { m_boxes.clear(); }

private:
    int respond(const messages::Box &box);

    QList<messages::Box> m_boxes;
    struct Answer {
        int result;
        std::function<void()> whileShown;
    };
    QQueue<Answer> m_answers;
};
