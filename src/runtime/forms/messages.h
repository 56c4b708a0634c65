#pragma once

#include <QString>

#include <exception>
#include <functional>

// The one way the program speaks to the operator. Each call shows a real
// modal QMessageBox with the title and text given, at least as wide as a
// window manager's title bar needs to show that title whole, unless a test
// installed a script, which then sees the box and gives the answer.
namespace messages {

enum class Kind {
    Plain,            // the plain message, OK
    Warning,          // title "Warning", OK
    Information,      // title "Information", OK
    InformationYesNo, // title "Information", Yes and No
    Confirmation,     // title "Confirm", question icon, OK
    ConfirmationOkCancel, // title "Confirm", question icon, OK and Cancel
    ConfirmationYesNoCancel, // title "Confirm", question icon, Ya, Tidak and Batal
    Error,            // title "Error", error icon, OK
    StandardError,    // an exception's own text, title "Error"
};

struct Box {
    Kind kind;
    QString title;
    QString text;
};

// Answers are ModalResult values (mrOk, mrCancel, mrYes, mrNo).
int show(Kind kind, const QString &text);
void showMessage(const QString &text);
void warning(const QString &text);
void information(const QString &text);
int informationYesNo(const QString &text);
void confirmation(const QString &text);
// Ya, Tidak or Batal: mrYes, mrNo or mrCancel (also when the box is closed).
int confirmationYesNoCancel(const QString &text);
void error(const QString &text);
// Shows an error's own text; a silent Abort shows nothing.
void standardError(const std::exception &error);

// Runs a handler; an exception escaping it reaches the standard error box
// and the program goes on. Returns false when the handler did not run through.
bool guard(const std::function<void()> &handler);

using Script = std::function<int(const Box &)>;
// Installs (or with nullptr removes) the answering script. A script that
// answers mrNone gets what closing the box gives: mrNo for Yes/No, mrCancel
// for OK/Cancel and Ya/Tidak/Batal, else mrOk.
void setScript(Script script);

} // namespace messages
