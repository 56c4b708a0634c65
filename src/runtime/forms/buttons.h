#pragma once

#include "runtime/forms/form.h"

#include <QPushButton>
#include <QToolButton>

#include <functional>

// A push button with a click handler, a hint (tooltip), a modal result and
// the default/cancel roles of its form. A click runs the handler (guarded:
// an escaping exception goes to the standard error box); when the form is in
// a modal run and the button has a modal result, the run ends with it once
// the handler is over, whatever the handler's outcome. The result is given to
// the form before the handler runs, so a handler may take it back with
// formOf(this)->setModalResult(mrNone).
class Button : public QPushButton {
    Q_OBJECT
public:
    Button(QWidget *parent, const QString &name, const QString &caption = {});

    std::function<void()> onClick;

    void setHint(const QString &hint) { setToolTip(hint); }
    QString hint() const { return toolTip(); }
    void setModalResult(int result) { m_modalResult = result; }
    int modalResult() const { return m_modalResult; }
    // Enter clicks the default button, Esc the cancel button.
    void setDefaultButton(bool on) { m_default = on; setDefault(on); }
    bool isDefaultButton() const { return m_default; }
    void setCancelButton(bool on) { m_cancel = on; }
    bool isCancelButton() const { return m_cancel; }

protected:
    // Runs after the click handler, whatever its outcome.
    virtual void afterClick(Form *form) { Q_UNUSED(form); }

private:
    void handleClick();
    int m_modalResult = mrNone;
    bool m_default = false;
    bool m_cancel = false;
};

// Standard kinds of picture buttons: each brings its caption, picture, modal
// result and role; a caption given explicitly replaces the kind's.
//   Ok      "OK"      ok.jpg      mrOk      default button
//   Cancel  "Cancel"  cancel.jpg  mrCancel  cancel button
//   Yes     "&Yes"    ok.jpg      mrYes     default button
//   No      "&No"     cancel.jpg  mrNo      cancel button
//   Close   "&Close"  close.jpg   mrClose   closes its form after the handler,
//                                           modal run or not
class BitBtn : public Button {
    Q_OBJECT
public:
    enum class Kind { Custom, Ok, Cancel, Close, Yes, No };
    BitBtn(QWidget *parent, const QString &name, Kind kind = Kind::Custom,
           const QString &caption = {});
    Kind kind() const { return m_kind; }
    void setPicture(const QString &resourcePath);

protected:
    void afterClick(Form *form) override;

private:
    Kind m_kind;
};

// A flat square button with a picture and a hint.
class SpeedButton : public QToolButton {
    Q_OBJECT
public:
    SpeedButton(QWidget *parent, const QString &name);
    std::function<void()> onClick;
    void setHint(const QString &hint) { setToolTip(hint); }
    void setPicture(const QString &resourcePath);
};
