#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class Dataset;

// Connects data-aware controls and detail datasets to a dataset. Rebinding
// it to another dataset moves every control bound to it along.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(const QString &name, QObject *parent = nullptr);

    Dataset *dataSet() const { return m_dataset; }
    void setDataSet(Dataset *dataset);

signals:
    // The bound dataset was replaced: controls rebind and show it afresh.
    void dataSetChanged();

private:
    QPointer<Dataset> m_dataset;
};
