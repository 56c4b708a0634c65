#include "runtime/controls/dbnavigator.h"

#include "runtime/forms/form.h"
#include "runtime/forms/messages.h"
#include "runtime/picture.h"

#include <QHBoxLayout>

namespace {

struct ButtonLook {
    const char *name;
    const char *picture;   // resource picture, or nullptr for a text symbol
    const char *symbol;
};

constexpr ButtonLook Looks[] = {
    {"first", ":/first.jpg", "|<"}, {"prior", ":/prior.jpg", "<"}, {"next", ":/next.jpg", ">"},
    {"last", ":/last.jpg", ">|"},   {"insert", nullptr, "+"},      {"delete", nullptr, "\u2212"},
    {"edit", nullptr, "\u25B2"},    {"post", nullptr, "\u2713"},   {"cancel", nullptr, "\u2717"},
    {"refresh", nullptr, "\u21BB"},
};

} // namespace

QString DBNavigator::actionName(Action action)
{
    return QString::fromLatin1(Looks[action].name);
}

DBNavigator::DBNavigator(QWidget *parent, const QString &name) : QWidget(parent), m_link(this)
{
    setObjectName(name);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int a = First; a <= Refresh; ++a) {
        const auto action = Action(a);
        auto *button = new QToolButton(this);
        button->setObjectName(actionName(action));
        const ButtonLook &look = Looks[a];
        const QPixmap pixmap = look.picture ? picture::loadPixmap(QString::fromLatin1(look.picture)) : QPixmap();
        if (!pixmap.isNull())
            button->setIcon(QIcon(pixmap));
        else
            button->setText(QString::fromUtf8(look.symbol));
        button->setMinimumSize(28, 26);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, action] { click(action); });
        m_buttons.insert(action, button);
        m_visible << action;
    }
    m_link.onRecordChanged = [this] { updateButtons(); };
}

void DBNavigator::setVisibleButtons(const QList<Action> &actions)
{
    m_visible = actions;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setVisible(actions.contains(it.key()));
}

void DBNavigator::setHints(const QStringList &hints)
{
    for (int i = 0; i < m_visible.size() && i < hints.size(); ++i)
        m_buttons.value(m_visible.at(i))->setToolTip(hints.at(i));
}

void DBNavigator::click(Action action)
{
    if (messages::guard([this, action] { perform(action); }) && onClick)
        messages::guard([this, action] { onClick(action); });
    updateButtons();
}

void DBNavigator::perform(Action action)
{
    Dataset *d = m_link.dataset();
    if (!d)
        return;
    switch (action) {
    case First: d->first(); break;
    case Prior: d->prior(); break;
    case Next: d->next(); break;
    case Last: d->last(); break;
    case Insert: d->insert(); break;
    case Delete:
        if (messages::show(messages::Kind::ConfirmationOkCancel, QStringLiteral("Delete record?")) == mrOk)
            d->remove();
        break;
    case Edit: d->edit(); break;
    case Post: d->post(); break;
    case Cancel: d->cancel(); break;
    case Refresh: d->refresh(); break;
    }
}

void DBNavigator::updateButtons()
{
    Dataset *d = m_link.dataset();
    const bool active = d && d->isActive();
    const bool editing = active && d->isEditing();
    const bool rows = active && d->visibleRowCount() > 0;
    for (Action a : {First, Prior, Next, Last})
        m_buttons.value(a)->setEnabled(rows);
    m_buttons.value(Insert)->setEnabled(active);
    m_buttons.value(Delete)->setEnabled(active && rows);
    m_buttons.value(Edit)->setEnabled(active && !editing);
    m_buttons.value(Post)->setEnabled(editing);
    m_buttons.value(Cancel)->setEnabled(editing);
    m_buttons.value(Refresh)->setEnabled(active);
}
