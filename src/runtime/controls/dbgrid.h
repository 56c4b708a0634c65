#pragma once

#include "runtime/controls/datalink.h"

#include <QAbstractTableModel>
#include <QTableView>

struct GridColumn {
    GridColumn(const QString &field = {}, const QString &columnTitle = {},
               Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
        : fieldName(field), title(columnTitle), titleAlignment(alignment) {}
    QString fieldName;
    QString title;                       // empty: the field name
    Qt::Alignment titleAlignment;
};

// The rows of a dataset as a table: one column per grid column, the display
// text of each field, the row being inserted in its place.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject *parent = nullptr);
    void setDataset(Dataset *dataset);
    Dataset *dataset() const { return m_dataset; }
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    void setEditable(bool editable) { m_editable = editable; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    const Field *columnField(int column) const;

private:
    QPointer<Dataset> m_dataset;
    QList<GridColumn> m_columns;
    bool m_editable = false;
};

class EntryDelegate;

// A grid over a data source. Choosing a row moves the dataset (settling a
// pending row first); the dataset's moves select the row. Money columns show
// the currency text.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    DBGrid(QWidget *parent, const QString &name);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_link.dataSource(); }
    void setColumns(const QList<GridColumn> &columns);
    void setReadOnlyGrid(bool readOnly);
    bool isReadOnlyGrid() const { return m_readOnly; }
    void setHint(const QString &hint) { setToolTip(hint); }

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void commitOpenEditor();
    void reset();
    void followDataset();

    DataLink m_link;
    DatasetModel *m_model;
    EntryDelegate *m_delegate = nullptr;
    bool m_readOnly = true;
    bool m_following = false;
    QMetaObject::Connection m_listConnection;
};
