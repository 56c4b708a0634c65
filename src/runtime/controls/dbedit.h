#pragma once

#include "runtime/controls/datalink.h"

#include <QLineEdit>

// A one-line editor bound to a field. Shows the field's display text, or its
// edit text while focused; typing while browsing starts an edit of the shown
// row. Its text is written into the field when the focus leaves it and when
// the row is posted, also when hidden or disabled, if the text was set after
// the row entered its insert or edit state.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    DBEdit(QWidget *parent, const QString &name);

    void setDataSource(DataSource *source) { m_link.setDataSource(source); }
    DataSource *dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }
    QString dataField() const { return m_link.fieldName(); }
    Field *field() const { return m_link.field(); }
    // An explicit maximum length wins over the field's size.
    void setMaxLengthOverride(int length);
    void setHint(const QString &hint) { setToolTip(hint); }

    // Text set by the program with setText() while a new row is being
    // inserted is written at its post (a row being edited keeps what it
    // holds), but does not by itself make the row changed for the settle
    // rule. Typed text does.
    bool hasPendingText() const { return m_typed || m_programSet; }
    // A locked editor is read-only whatever its field allows.
    void setLocked(bool locked);
    bool isLocked() const { return m_locked; }

signals:
    // The bound dataset entered insert or edit state.
    void editStarted();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField();
    void flush(bool withProgramText);
    void applyFieldFormat();
    void display(const QString &text);
    bool startEdit();

    DataLink m_link;
    int m_maxLengthOverride = 0;
    bool m_typed = false;
    bool m_programSet = false;
    bool m_showing = false;
    bool m_locked = false;
    QString m_mask;
};

// Converts an edit mask of the form "!99/99/00;1;_" (9 optional digit,
// 0 required digit, ";1" literals kept, last part the blank) to Qt's form.
// Without requireDigits every digit is optional to Qt, which then lets an
// incomplete entry through for the field's own check to refuse.
QString qtInputMask(const QString &editMask, bool requireDigits = true);
