#include "runtime/controls/datalink.h"

DataLink::DataLink(QObject *owner) : QObject(owner)
{
}

void DataLink::setDataSource(DataSource *source)
{
    if (m_source == source)
        return;
    disconnect(m_sourceConnection);
    m_source = source;
    if (source)
        m_sourceConnection = connect(source, &DataSource::dataSetChanged, this, &DataLink::rebind);
    rebind();
}

void DataLink::setFieldName(const QString &name)
{
    m_fieldName = name;
    if (onRecordChanged)
        onRecordChanged();
}

Dataset *DataLink::dataset() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

Field *DataLink::field() const
{
    Dataset *d = dataset();
    if (!d || !d->isActive() || m_fieldName.isEmpty())
        return nullptr;
    return d->findField(m_fieldName);
}

bool DataLink::isEditing() const
{
    Dataset *d = dataset();
    return d && d->isEditing();
}

void DataLink::edit()
{
    if (Dataset *d = dataset(); d && !d->isEditing())
        d->edit();
}

void DataLink::rebind()
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    Dataset *d = dataset();
    m_lastState = d ? d->state() : DataState::Inactive;
    if (d) {
        auto refresh = [this] {
            if (onRecordChanged)
                onRecordChanged();
        };
        m_connections << connect(d, &Dataset::recordChanged, this, refresh);
        m_connections << connect(d, &Dataset::fieldChanged, this, [this](Field *changed) {
            // A control of the whole row (a grid) shows every change.
            const Field *mine = field();
            const bool shown = m_fieldName.isEmpty() || (mine && (changed == mine || mine->isCalculated()));
            if (shown && onRecordChanged)
                onRecordChanged();
        });
        m_connections << connect(d, &Dataset::stateChanged, this, [this, d] {
            const DataState previous = m_lastState;
            m_lastState = d->state();
            if (onRecordChanged)
                onRecordChanged();
            // Only an edit the clerk starts is theirs to stamp.
            const bool started = d->isEditing() && previous != d->state() && !d->isProgramChange();
            if (started && onEditStarted)
                onEditStarted();
        });
        m_connections << connect(d, &Dataset::updateRecord, this, [this](bool withProgramText) {
            if (onUpdateRecord)
                onUpdateRecord(withProgramText);
        });
    }
    if (onRecordChanged)
        onRecordChanged();
}
