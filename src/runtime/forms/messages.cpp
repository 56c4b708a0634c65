#include "runtime/forms/messages.h"

#include "runtime/abort.h"
#include "runtime/db/error.h"
#include "runtime/forms/form.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <stdexcept>

namespace messages {
namespace {

Script &installedScript()
{
    static Script script;
    return script;
}

QString titleOf(Kind kind)
{
    switch (kind) {
    case Kind::Plain:
        return QStringLiteral("Simpan Pinjam");
    case Kind::Warning:
        return QStringLiteral("Warning");
    case Kind::Information:
    case Kind::InformationYesNo:
        return QStringLiteral("Information");
    case Kind::Confirmation:
    case Kind::ConfirmationOkCancel:
    case Kind::ConfirmationYesNoCancel:
        return QStringLiteral("Confirm");
    case Kind::Error:
    case Kind::StandardError:
        return QStringLiteral("Error");
    }
    return {};
}

QMessageBox::Icon iconOf(Kind kind)
{
    switch (kind) {
    case Kind::Plain:
        return QMessageBox::NoIcon;
    case Kind::Warning:
        return QMessageBox::Warning;
    case Kind::Information:
    case Kind::InformationYesNo:
        return QMessageBox::Information;
    case Kind::Confirmation:
    case Kind::ConfirmationOkCancel:
    case Kind::ConfirmationYesNoCancel:
        return QMessageBox::Question;
    case Kind::Error:
    case Kind::StandardError:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// What a box answers when it is dismissed without a choice.
int fallbackAnswer(Kind kind)
{
    if (kind == Kind::InformationYesNo)
        return mrNo;
    return kind == Kind::ConfirmationOkCancel || kind == Kind::ConfirmationYesNoCancel ? mrCancel : mrOk;
}

int answerOf(QMessageBox::StandardButton button, Kind kind)
{
    switch (button) {
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Cancel:
        return mrCancel;
    default:
        return fallbackAnswer(kind);
    }
}

// What the window manager needs to show a box's whole title: the title in a
// bold title-bar font (a size up, as some desktops draw it), beside the
// window icon and up to three buttons, each about as wide as the bar is high,
// with some room at both ends. Qt's own allowance (the title and 50 pixels)
// is too small for a short text under a long title ("NPM salah!!" under
// "Warning" shows as "W... g").
int titleBarWidth(const QString &title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.2);
    else
        font.setPixelSize(font.pixelSize() * 6 / 5);
    const QFontMetrics metrics(font);
    const int barHeight = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 4 * barHeight + 2 * 16;
}

// The box can be no narrower than its layout's minimum: a row as wide as the
// title needs keeps it so.
void widenForTitle(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = titleBarWidth(box.windowTitle()) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

int execBox(Kind kind, const QString &title, const QString &text)
{
    QMessageBox box(iconOf(kind), title, text);
    box.setTextFormat(Qt::PlainText);
    if (kind == Kind::InformationYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (kind == Kind::ConfirmationOkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
    } else if (kind == Kind::ConfirmationYesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ya"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Tidak"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Batal"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    widenForTitle(box);
    box.exec();
    return answerOf(box.standardButton(box.clickedButton()), kind);
}

} // namespace

int show(Kind kind, const QString &text)
{
    const QString title = titleOf(kind);
    // Copied: a script may uninstall itself while answering.
    const Script script = installedScript();
    if (script) {
        const int answer = script(Box { kind, title, text });
        return answer == mrNone ? fallbackAnswer(kind) : answer;
    }
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // No screen to show it on (a console tool): keep the text visible.
        qWarning("%s: %s", qUtf8Printable(title), qUtf8Printable(text));
        return fallbackAnswer(kind);
    }
    return execBox(kind, title, text);
}

void showMessage(const QString &text)
{
    show(Kind::Plain, text);
}

void warning(const QString &text)
{
    show(Kind::Warning, text);
}

void information(const QString &text)
{
    show(Kind::Information, text);
}

int informationYesNo(const QString &text)
{
    return show(Kind::InformationYesNo, text);
}

void confirmation(const QString &text)
{
    show(Kind::Confirmation, text);
}

int confirmationYesNoCancel(const QString &text)
{
    return show(Kind::ConfirmationYesNoCancel, text);
}

void error(const QString &text)
{
    show(Kind::Error, text);
}

void standardError(const std::exception &error)
{
    if (dynamic_cast<const Abort *>(&error))
        return;
    if (const auto *databaseError = dynamic_cast<const DatabaseError *>(&error)) {
        // An entry the field refuses is the clerk's to correct.
        const bool typing = dberr::isRefusedEntry(databaseError->code());
        show(typing ? Kind::Warning : Kind::StandardError, databaseError->text());
        return;
    }
    // Our own errors (MoneyError among them) carry UTF-8 text.
    show(Kind::StandardError, QString::fromUtf8(error.what()));
}

bool guard(const std::function<void()> &handler)
{
    if (!handler)
        return true;
    try {
        handler();
        return true;
    } catch (const Abort &) {
        return false;
    } catch (const std::exception &e) {
        standardError(e);
        return false;
    } catch (...) {
        standardError(std::runtime_error("Terjadi kesalahan yang tidak dikenal."));
        return false;
    }
}

void setScript(Script script)
{
    installedScript() = std::move(script);
}

} // namespace messages
