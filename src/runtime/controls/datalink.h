#pragma once

#include "runtime/db/dataset.h"
#include "runtime/db/datasource.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// Binds a control to a data source and a field name and tells it when to
// show the field afresh and when to write pending text into the row.
class DataLink : public QObject {
    Q_OBJECT
public:
    explicit DataLink(QObject *owner);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }
    void setFieldName(const QString &name);
    const QString &fieldName() const { return m_fieldName; }

    Dataset *dataset() const;
    Field *field() const;           // nullptr when unbound or the dataset is closed
    bool isEditing() const;
    // Puts the dataset into edit state (insert when it has no rows).
    void edit();

    // Show the field afresh.
    std::function<void()> onRecordChanged;
    // The dataset entered insert or edit state (after onRecordChanged ran).
    std::function<void()> onEditStarted;
    // Write pending text; withProgramText as in Dataset::updateRecord.
    std::function<void(bool withProgramText)> onUpdateRecord;

private:
    void rebind();
    QPointer<DataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_sourceConnection;
    DataState m_lastState = DataState::Inactive;
};
