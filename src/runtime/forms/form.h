#pragma once

#include <QMargins>
#include <QPointer>
#include <QString>
#include <QWidget>

class QEventLoop;

enum ModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
    mrIgnore = 5, mrYes = 6, mrNo = 7, mrClose = 8,
};

// Base of every window: a top-level widget without parent window, created
// once and hidden when closed. objectName() is the instance name. (A parent,
// if given, makes it a child window that is disabled along with its parent;
// the program's windows pass none.)
//
// Keyboard: Enter clicks the default button when it is visible and enabled
// and no other button has the focus; Esc clicks the visible, enabled cancel
// button. Either key reaches the focused control only when no button takes it.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString &instanceName, QWidget *parent = nullptr);
    ~Form() override;

    // Runs a modal loop until modalResult() becomes non-zero or the window is
    // closed or hidden (mrCancel); returns the result and hides the window,
    // FormClose included. Runs nest. Asked for while the window is already
    // shown modeless, it only brings the window to the front: mrNone.
    int showModal();
    // Shows modeless, or brings the window to the front when already shown.
    void showModeless();
    bool isModalRunning() const { return m_loop != nullptr; }
    int modalResult() const { return m_modalResult; }
    // A non-zero result ends a modal run (after the running handler returns).
    void setModalResult(int result);

    // Centres the window, frame included, on the screen's free area; a window
    // larger than that area is first made smaller, never below its layout's
    // minimum. Before the window manager has framed it, the frame is taken as
    // expectedFrame().
    void centerOnScreen();
    // Room for the title bar and borders a window manager puts around a window:
    // as much as the usual desktops take, so that a window placed with it stays
    // wholly on the screen.
    static QMargins expectedFrame();

    // Handlers of the window's own events, overridden by windows: activation
    // each time the window becomes the active one, and closing. Exceptions
    // escaping them go to the standard error box.
    virtual void FormActivate() {}
    virtual void FormClose() {}
    // Asked before the window closes: false keeps it open (work the clerk
    // has not stored yet, say). An exception counts as false.
    virtual bool FormCloseQuery() { return true; }
    // Runs FormCloseQuery as closing does.
    bool mayClose();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void quitModalLoopIfDone();
    void runHandler(void (Form::*handler)());

    QEventLoop *m_loop = nullptr;
    int m_modalResult = mrNone;
};

// The form a widget belongs to, or nullptr.
Form *formOf(QWidget *widget);
