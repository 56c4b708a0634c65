#include "runtime/forms/buttons.h"

#include "runtime/forms/messages.h"
#include "runtime/picture.h"

#include <QIcon>
#include <QPointer>

namespace {

struct KindTraits {
    const char *caption;
    const char *picture;
    int modalResult;
    bool isDefault;
    bool isCancel;
};

KindTraits traitsOf(BitBtn::Kind kind)
{
    using Kind = BitBtn::Kind;
    switch (kind) {
    case Kind::Ok:
        return { "OK", ":/ok.jpg", mrOk, true, false };
    case Kind::Cancel:
        return { "Cancel", ":/cancel.jpg", mrCancel, false, true };
    case Kind::Close:
        return { "&Close", ":/close.jpg", mrClose, false, false };
    case Kind::Yes:
        return { "&Yes", ":/ok.jpg", mrYes, true, false };
    case Kind::No:
        return { "&No", ":/cancel.jpg", mrNo, false, true };
    case Kind::Custom:
        break;
    }
    return { "", "", mrNone, false, false };
}

QIcon iconOf(const QString &path)
{
    const QPixmap pixmap = picture::loadPixmap(path);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

} // namespace

Button::Button(QWidget *parent, const QString &name, const QString &caption)
    : QPushButton(caption, parent)
{
    setObjectName(name);
    // Enter is routed by the form, not by Qt's dialog logic.
    setAutoDefault(false);
    connect(this, &QAbstractButton::clicked, this, &Button::handleClick);
}

void Button::handleClick()
{
    QPointer<Button> self(this);
    QPointer<Form> form = formOf(this);
    if (form && form->isModalRunning() && m_modalResult != mrNone)
        form->setModalResult(m_modalResult);
    messages::guard(onClick);
    if (self)
        afterClick(form);
}

BitBtn::BitBtn(QWidget *parent, const QString &name, Kind kind, const QString &caption)
    : Button(parent, name, caption), m_kind(kind)
{
    if (kind == Kind::Custom)
        return;
    const KindTraits traits = traitsOf(kind);
    if (caption.isEmpty())
        setText(QString::fromLatin1(traits.caption));
    setPicture(QString::fromLatin1(traits.picture));
    setModalResult(traits.modalResult);
    setDefaultButton(traits.isDefault);
    setCancelButton(traits.isCancel);
}

void BitBtn::setPicture(const QString &resourcePath)
{
    setIcon(iconOf(resourcePath));
}

void BitBtn::afterClick(Form *form)
{
    if (m_kind == Kind::Close && form)
        form->close();
}

SpeedButton::SpeedButton(QWidget *parent, const QString &name)
    : QToolButton(parent)
{
    setObjectName(name);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Like a toolbar button: clicking does not take the focus from the form.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { messages::guard(onClick); });
}

void SpeedButton::setPicture(const QString &resourcePath)
{
    const QPixmap pixmap = picture::loadPixmap(resourcePath);
    setIcon(pixmap.isNull() ? QIcon() : QIcon(pixmap));
    if (!pixmap.isNull())
        setIconSize(pixmap.size());
}
