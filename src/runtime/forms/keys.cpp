#include "runtime/forms/keys.h"

#include "runtime/forms/messages.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace keys {
namespace {

constexpr int Backspace = 8;
constexpr int Return = 13;
constexpr int Escape = 27;

bool isControlLetter(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    return (mods & Qt::ControlModifier) && !(mods & (Qt::AltModifier | Qt::MetaModifier))
        && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z;
}

// Copy, paste and cut are shortcuts of the edit box; claiming the override
// turns them into key presses that the filter sees first.
bool isEditingShortcut(const QKeyEvent *event)
{
    if (!isControlLetter(event))
        return false;
    const int code = charCode(event);
    return code == 3 || code == 22 || code == 24;
}

Qt::Key keyOf(int code)
{
    switch (code) {
    case Backspace:
        return Qt::Key_Backspace;
    case Return:
        return Qt::Key_Return;
    case Escape:
        return Qt::Key_Escape;
    default:
        break;
    }
    if (code >= 1 && code <= 26)
        return Qt::Key(Qt::Key_A + code - 1);
    if (code < 128)
        return Qt::Key(QChar(code).toUpper().unicode());
    return Qt::Key_unknown;
}

// A key press that delivers the character `code`.
QKeyEvent pressFor(int code)
{
    const Qt::Key key = keyOf(code);
    const bool control = code >= 1 && code <= 26 && code != Backspace && code != Return;
    const char32_t character = char32_t(code);
    return QKeyEvent(QEvent::KeyPress, key, control ? Qt::ControlModifier : Qt::NoModifier,
                     QString::fromUcs4(&character, 1));
}

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QWidget *widget, KeyPressHandler handler)
        : QObject(widget), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_replaying)
            return false;
        if (event->type() == QEvent::ShortcutOverride)
            return claimShortcut(static_cast<QKeyEvent *>(event));
        if (event->type() != QEvent::KeyPress)
            return false;
        const int typed = charCode(static_cast<QKeyEvent *>(event));
        if (typed == 0)
            return false;
        int key = typed;
        // A handler that fails keeps the key from the control.
        if (!messages::guard([&] { m_handler(key); }) || key == 0)
            return true;
        if (key == typed)
            return false;
        replay(watched, key);
        return true;
    }

private:
    static bool claimShortcut(QKeyEvent *event)
    {
        if (!isEditingShortcut(event))
            return false;
        event->accept();
        return true;
    }

    void replay(QObject *watched, int key)
    {
        QKeyEvent replacement = pressFor(key);
        m_replaying = true;
        QCoreApplication::sendEvent(watched, &replacement);
        m_replaying = false;
    }

    KeyPressHandler m_handler;
    bool m_replaying = false;
};

class ClickFilter : public QObject {
public:
    ClickFilter(QWidget *widget, std::function<void()> handler)
        : QObject(widget), m_widget(widget), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_widget->rect().contains(mouse->position().toPoint()))
            return false;
        // After the control has finished with the click: a message box shown
        // by the handler must not take the mouse from it halfway.
        QTimer::singleShot(0, this, [this] { messages::guard(m_handler); });
        return false;
    }

private:
    QWidget *m_widget;
    std::function<void()> m_handler;
};

} // namespace

int charCode(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Return;
    case Qt::Key_Escape:
        return Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0; // navigation, never a character
    default:
        break;
    }
    if (isControlLetter(event))
        return event->key() - Qt::Key_A + 1;
    const QList<uint> characters = event->text().toUcs4();
    if (characters.isEmpty())
        return 0;
    // Format and private-use characters are not printable, yet an edit box
    // inserts them: they are characters for the filters as well.
    const char32_t first = char32_t(characters.first());
    const QChar::Category category = QChar::category(first);
    if (!QChar::isPrint(first) && category != QChar::Other_Format && category != QChar::Other_PrivateUse)
        return 0;
    return int(first);
}

void onKeyPress(QWidget *widget, KeyPressHandler handler)
{
    widget->installEventFilter(new KeyPressFilter(widget, std::move(handler)));
}

void onClick(QWidget *widget, std::function<void()> handler)
{
    widget->installEventFilter(new ClickFilter(widget, std::move(handler)));
}

} // namespace keys
