#include "runtime/forms/form.h"

#include "runtime/forms/buttons.h"
#include "runtime/forms/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>

#include <algorithm>

namespace {

bool canTakeKey(const Button *button, const Form *form)
{
    return button->window() == form && button->isVisible() && button->isEnabled();
}

Button *findButton(Form *form, bool (Button::*role)() const)
{
    const auto buttons = form->findChildren<Button *>();
    for (Button *button : buttons) {
        if ((button->*role)() && canTakeKey(button, form))
            return button;
    }
    return nullptr;
}

// Enter and Escape of every form, seen before the focused control gets them:
// the focused push button takes Enter, else the default button does; Escape
// goes to the cancel button. A key no button takes reaches the control.
class DialogKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *target = static_cast<QWidget *>(watched);
        auto *form = qobject_cast<Form *>(target->window());
        if (!form)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return enter(form, target);
        case Qt::Key_Escape:
            return clickIfAny(findButton(form, &Button::isCancelButton));
        default:
            return false;
        }
    }

private:
    static bool enter(Form *form, QWidget *target)
    {
        if (auto *pushButton = qobject_cast<QPushButton *>(target))
            return clickIfAny(pushButton);
        if (qobject_cast<QAbstractButton *>(target))
            return false;
        return clickIfAny(findButton(form, &Button::isDefaultButton));
    }

    static bool clickIfAny(QAbstractButton *button)
    {
        if (!button)
            return false;
        button->click();
        return true;
    }
};

void installDialogKeys()
{
    static QPointer<DialogKeys> filter;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new DialogKeys(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

} // namespace

Form::Form(const QString &instanceName, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(instanceName);
    setAttribute(Qt::WA_DeleteOnClose, false);
    installDialogKeys();
}

Form::~Form()
{
    if (m_loop)
        m_loop->exit();
}

int Form::showModal()
{
    if (isVisible()) {
        // Already on screen (modeless or in its own run): only bring it up.
        raise();
        activateWindow();
        return mrNone;
    }

    QPointer<Form> self(this);
    QEventLoop loop;
    m_modalResult = mrNone;
    m_loop = &loop;
    setWindowModality(Qt::ApplicationModal);
    show(); // a window being shown comes up on top
    activateWindow();
    for (;;) {
        if (m_modalResult == mrNone && isVisible())
            loop.exec(QEventLoop::DialogExec);
        if (!self)
            return mrCancel;
        const bool byResult = m_modalResult != mrNone;
        if (!byResult)
            m_modalResult = mrCancel;
        // Ended by a result: close like any other closing, so the window may
        // still refuse (and its run goes on) and FormClose runs.
        if (!isVisible() || !byResult || close())
            break;
        m_modalResult = mrNone;
    }
    m_loop = nullptr;
    if (isVisible()) {
        // The run was ended from outside (the program ends): no questions.
        runHandler(&Form::FormClose);
        hide();
    }
    setWindowModality(Qt::NonModal);
    return m_modalResult;
}

void Form::showModeless()
{
    show();
    raise();
    activateWindow();
}

void Form::setModalResult(int result)
{
    m_modalResult = result;
    if (!m_loop || result == mrNone)
        return;
    // Checked once control is back in an event loop, so the running handler
    // finishes first and may still take the result back.
    QMetaObject::invokeMethod(this, &Form::quitModalLoopIfDone, Qt::QueuedConnection);
}

void Form::quitModalLoopIfDone()
{
    if (m_loop && m_modalResult != mrNone)
        m_loop->exit();
}

QMargins Form::expectedFrame()
{
    return {6, 36, 6, 8};
}

void Form::centerOnScreen()
{
    QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    const QRect known = frameGeometry();
    const QMargins frame = known == geometry()
        ? expectedFrame()
        : QMargins(geometry().left() - known.left(), geometry().top() - known.top(),
                   known.right() - geometry().right(), known.bottom() - geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    if (width() > room.width() || height() > room.height()) {
        const QSize least = layout() ? layout()->totalMinimumSize() : minimumSize();
        resize(size().boundedTo(room).expandedTo(least));
    }
    QRect placed(QPoint(), size().grownBy(frame));
    placed.moveCenter(area.center());
    // The frame's corner, which is where a window manager puts the frame.
    move(std::max(placed.left(), area.left()), std::max(placed.top(), area.top()));
}

void Form::runHandler(void (Form::*handler)())
{
    messages::guard([this, handler] { (this->*handler)(); });
}

bool Form::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::WindowActivate:
        runHandler(&Form::FormActivate);
        break;
    case QEvent::Hide:
        // Minimising hides spontaneously; only a real hide ends a modal run.
        if (m_loop && isHidden())
            m_loop->exit();
        break;
    default:
        break;
    }
    return handled;
}

bool Form::mayClose()
{
    bool may = false;
    messages::guard([this, &may] { may = FormCloseQuery(); });
    return may;
}

void Form::closeEvent(QCloseEvent *event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    runHandler(&Form::FormClose);
    event->accept();
    if (m_loop && m_modalResult == mrNone)
        m_modalResult = mrCancel;
}

Form *formOf(QWidget *widget)
{
    return widget ? qobject_cast<Form *>(widget->window()) : nullptr;
}
