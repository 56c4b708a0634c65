#include "runtime/db/datasource.h"

#include "runtime/db/dataset.h"

DataSource::DataSource(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

void DataSource::setDataSet(Dataset *dataset)
{
    if (m_dataset == dataset)
        return;
    m_dataset = dataset;
    emit dataSetChanged();
}
