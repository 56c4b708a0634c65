#include "runtime/controls/dbtext.h"

DBText::DBText(QWidget *parent, const QString &name) : QLabel(parent), m_link(this)
{
    setObjectName(name);
    m_link.onRecordChanged = [this] {
        const Field *f = m_link.field();
        setText(f ? f->displayText() : QString());
    };
}
