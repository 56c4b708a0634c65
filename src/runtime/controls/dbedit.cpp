#include "runtime/controls/dbedit.h"

#include "runtime/forms/messages.h"
#include "runtime/regional.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

QString qtInputMask(const QString &editMask, bool requireDigits)
{
    if (editMask.isEmpty())
        return {};
    const QStringList parts = editMask.split(QLatin1Char(';'));
    QString mask;
    for (const QChar c : parts.value(0)) {
        if (c == QLatin1Char('!'))
            continue;
        if (c == QLatin1Char('9'))
            mask += QLatin1Char('0');       // optional digit
        else if (c == QLatin1Char('0'))
            mask += QLatin1Char(requireDigits ? '9' : '0'); // required digit
        else if (c.isLetterOrNumber())
            mask += QLatin1Char('\\') + c;
        else
            mask += c;
    }
    const QString blank = parts.value(2);
    return mask + QLatin1Char(';') + (blank.isEmpty() ? QStringLiteral(" ") : blank.left(1));
}

DBEdit::DBEdit(QWidget *parent, const QString &name) : QLineEdit(parent), m_link(this)
{
    setObjectName(name);
    m_link.onRecordChanged = [this] { showField(); };
    m_link.onEditStarted = [this] { emit editStarted(); };
    m_link.onUpdateRecord = [this](bool withProgramText) { flush(withProgramText); };
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        // Set by the program; typing is told apart by textEdited below.
        m_programSet = m_link.isEditing();
    });
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_typed = true;
        m_programSet = false;
    });
}

void DBEdit::setMaxLengthOverride(int length)
{
    m_maxLengthOverride = length;
    applyFieldFormat();
}

void DBEdit::applyFieldFormat()
{
    const Field *f = field();
    const QString mask = f ? qtInputMask(f->def().editMask) : QString();
    if (mask != m_mask) {
        m_mask = mask;
        const bool was = m_showing;
        m_showing = true;
        setInputMask(mask);
        m_showing = was;
    }
    if (m_maxLengthOverride > 0)
        setMaxLength(m_maxLengthOverride);
    else if (f && f->type() == FieldType::Text && f->size() > 0)
        setMaxLength(f->size());
    setReadOnly(m_locked || (f && (f->isReadOnly() || f->isCalculated())));
}

void DBEdit::setLocked(bool locked)
{
    m_locked = locked;
    applyFieldFormat();
}

void DBEdit::display(const QString &text)
{
    const bool was = m_showing;
    m_showing = true;
    setText(text);
    m_showing = was;
}

void DBEdit::showField()
{
    applyFieldFormat();
    if (m_link.isEditing() && hasPendingText())
        return;
    m_typed = false;
    m_programSet = false;
    const Field *f = field();
    if (!f) {
        display(QString());
        return;
    }
    if (!m_mask.isEmpty() && f->type() == FieldType::Date) {
        // The mask holds a two-digit year.
        display(f->isNull() ? QString() : f->asDate().toString(QStringLiteral("dd/MM/yy")));
        return;
    }
    display(hasFocus() ? f->editText() : f->displayText());
}

void DBEdit::flush(bool withProgramText)
{
    if (!m_link.isEditing())
        return;
    // The program's text (the clock's date) belongs to a new row only:
    // correcting an old row must not re-date it.
    const bool programText = withProgramText && m_programSet && m_link.dataset()->state() == DataState::Insert;
    if (!m_typed && !programText)
        return;
    Field *f = field();
    if (!f)
        return;
    const bool typed = m_typed;
    const bool programSet = m_programSet;
    m_typed = false;
    m_programSet = false;
    try {
        f->setText(text());
    } catch (...) {
        m_typed = typed;
        m_programSet = programSet;
        throw;
    }
}

bool DBEdit::startEdit()
{
    if (m_link.isEditing() || !field() || isReadOnly())
        return true;
    // Entering edit state shows the row afresh; the key then acts on the
    // selection and cursor the operator had.
    const int start = selectionStart();
    const int length = selectedText().size();
    const int cursor = cursorPosition();
    const bool ok = messages::guard([this] { m_link.edit(); });
    if (start >= 0)
        setSelection(start, length);
    else
        setCursorPosition(cursor);
    return ok;
}

static bool changesText(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

// An amount may be typed as it is shown: "Rp 50.000,00".
static bool makesUpAmount(QChar c)
{
    const QLocale locale = regional::locale();
    return c == QLatin1Char('E') || c == QLatin1Char('e') || locale.decimalPoint().contains(c)
        || locale.groupSeparator().contains(c) || c.isSpace() || QStringLiteral("Rp.").contains(c, Qt::CaseInsensitive)
        || locale.currencySymbol(QLocale::CurrencySymbol).contains(c);
}

// A box bound to a number takes only what can make up one; anything else
// printable gets a beep and is dropped.
static bool acceptsCharacter(const Field *field, QChar c)
{
    if (!field || c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-'))
        return true;
    switch (field->type()) {
    case FieldType::Money:
        return makesUpAmount(c);
    case FieldType::Integer:
    case FieldType::AutoInc:
        return false;
    default:
        return true;
    }
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (printable && !acceptsCharacter(field(), typed.at(0))) {
        QApplication::beep();
        event->accept();
        return;
    }
    if (changesText(event) && !startEdit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent *event)
{
    // The edit text first: showing it moves the cursor to the end, and the
    // line edit then selects it (or, with a mask, goes to the first blank)
    // as a focus by keyboard should.
    showField();
    QLineEdit::focusInEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A message box or popup taking the focus is no leaving of the editor.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (messages::guard([this] { flush(true); }))
        showField();
}
