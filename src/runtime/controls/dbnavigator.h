#pragma once

#include "runtime/controls/datalink.h"

#include <QMap>
#include <QToolButton>
#include <QWidget>

#include <functional>

// A bar of buttons that move and edit a dataset. Each button is a
// QAbstractButton child named after its action in lower case. Delete asks
// "Delete record?" first. onClick runs after the button's own work.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Action { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

    DBNavigator(QWidget *parent, const QString &name);

    void setDataSource(DataSource *source) { m_link.setDataSource(source); }
    DataSource *dataSource() const { return m_link.dataSource(); }
    void setVisibleButtons(const QList<Action> &actions);
    void setHints(const QStringList &hints);   // in the order of the visible buttons
    void setHint(const QString &hint) { setToolTip(hint); }
    QToolButton *button(Action action) const { return m_buttons.value(action); }

    // Performs an action as a click would (guarded; onClick follows).
    void click(Action action);

    std::function<void(Action)> onClick;

    static QString actionName(Action action);

private:
    void perform(Action action);
    void updateButtons();

    DataLink m_link;
    QMap<Action, QToolButton *> m_buttons;
    QList<Action> m_visible;
};
