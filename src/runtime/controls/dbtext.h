#pragma once

#include "runtime/controls/datalink.h"

#include <QLabel>

// A read-only text showing a field's display text.
class DBText : public QLabel {
    Q_OBJECT
public:
    DBText(QWidget *parent, const QString &name);
    void setDataSource(DataSource *source) { m_link.setDataSource(source); }
    void setDataField(const QString &name) { m_link.setFieldName(name); }

private:
    DataLink m_link;
};
