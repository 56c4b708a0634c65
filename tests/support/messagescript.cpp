#include "messagescript.h"

#include "runtime/forms/form.h"

MessageScript::MessageScript()
{
    messages::setScript([this](const messages::Box &box) { return respond(box); });
}

MessageScript::~MessageScript()
{
    messages::setScript(nullptr);
}

int MessageScript::respond(const messages::Box &box)
{
    m_boxes.append(box);
    if (!m_answers.isEmpty()) {
        const Answer answer = m_answers.dequeue();
        if (answer.whileShown)
            answer.whileShown();
        return answer.result;
    }
    return box.kind == messages::Kind::InformationYesNo ? mrNo : mrOk;
}

QStringList MessageScript::texts() const
{
    QStringList result;
    for (const messages::Box &box : m_boxes)
        result.append(box.text);
    return result;
}

QStringList MessageScript::titles() const
{
    QStringList result;
    for (const messages::Box &box : m_boxes)
        result.append(box.title);
    return result;
}
