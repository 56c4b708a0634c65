#pragma once

#include "runtime/controls/datalink.h"

#include <QComboBox>

// An editable combo box bound to a field: offers its items and accepts typed
// text. Choosing or typing while browsing starts an edit of the shown row;
// the text is written into the field on focus-out and when the row is posted.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    DBComboBox(QWidget *parent, const QString &name);
    void setDataSource(DataSource *source) { m_link.setDataSource(source); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }
    Field *field() const { return m_link.field(); }
    void setHint(const QString &hint) { setToolTip(hint); }
    QString text() const { return currentText(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField();
    void flush(bool withProgramText);
    bool startEdit();

    DataLink m_link;
    bool m_showing = false;
    bool m_changed = false;
};
