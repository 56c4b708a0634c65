#include "runtime/controls/dbcombobox.h"

#include "runtime/forms/messages.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

DBComboBox::DBComboBox(QWidget *parent, const QString &name) : QComboBox(parent), m_link(this)
{
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_link.onRecordChanged = [this] { showField(); };
    m_link.onUpdateRecord = [this](bool withProgramText) { flush(withProgramText); };
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_changed = true; });
    connect(this, &QComboBox::activated, this, [this] {
        if (startEdit())
            m_changed = true;
    });
}

void DBComboBox::showField()
{
    const Field *f = m_link.field();
    if (f && f->type() == FieldType::Text && f->size() > 0)
        lineEdit()->setMaxLength(f->size());
    if (m_link.isEditing() && m_changed)
        return;
    m_changed = false;
    m_showing = true;
    setCurrentIndex(-1);
    setEditText(f ? f->displayText() : QString());
    m_showing = false;
}

void DBComboBox::flush(bool)
{
    if (!m_changed || !m_link.isEditing())
        return;
    Field *f = m_link.field();
    if (!f)
        return;
    m_changed = false;
    try {
        f->setText(currentText());
    } catch (...) {
        m_changed = true;
        throw;
    }
}

bool DBComboBox::startEdit()
{
    if (m_link.isEditing() || !m_link.field())
        return true;
    // Entering edit state re-shows the field; keep the choice, selection and
    // cursor the operator had.
    const QString chosen = currentText();
    QLineEdit *line = lineEdit();
    const int start = line->selectionStart();
    const int length = line->selectedText().size();
    const int cursor = line->cursorPosition();
    const bool ok = messages::guard([this] { m_link.edit(); });
    if (!ok)
        return false;
    setEditText(chosen);
    if (start >= 0)
        line->setSelection(start, length);
    else
        line->setCursorPosition(cursor);
    return true;
}

void DBComboBox::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool changes = (!text.isEmpty() && text.at(0).isPrint()) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (changes && !startEdit()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
    if (changes)
        m_changed = true;
}

void DBComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (messages::guard([this] { flush(true); }))
        showField();
}
