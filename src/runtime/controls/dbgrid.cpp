#include "runtime/controls/dbgrid.h"

#include "runtime/controls/dbedit.h"
#include "runtime/abort.h"
#include "runtime/forms/messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

// Cells of a field with an edit mask are typed through that mask, as in a
// bound editor. An incomplete entry still reaches the row (the view would
// otherwise keep its editor open without a word, or drop what was typed), and
// the dataset refuses it with a warning when the row is posted. A text the
// field refuses stays in its editor: the row's value is not shown over it.
class EntryDelegate : public QStyledItemDelegate {
public:
    EntryDelegate(const DatasetModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        const Field *f = m_model->columnField(index.column());
        if (auto *line = qobject_cast<QLineEdit *>(editor); line && f && !f->def().editMask.isEmpty())
            line->setInputMask(qtInputMask(f->def().editMask, false));
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (editor != m_refused)
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        m_refused = nullptr;
        if (!model->setData(index, line->text(), Qt::EditRole)) {
            m_refused = editor;
            m_refusedText = line->text();
        }
    }

    // The editor whose text the row refused, while it still shows that text.
    QWidget *refused() const
    {
        const auto *line = qobject_cast<const QLineEdit *>(m_refused.data());
        return line && line->text() == m_refusedText ? m_refused.data() : nullptr;
    }
    bool isRefused(const QWidget *editor) const { return editor && editor == m_refused; }
    QWidget *keptEditor() const { return m_refused; }
    void forget() { m_refused = nullptr; }

private:
    const DatasetModel *m_model;
    mutable QPointer<QWidget> m_refused;
    mutable QString m_refusedText;
};


DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void DatasetModel::setDataset(Dataset *dataset)
{
    beginResetModel();
    m_dataset = dataset;
    endResetModel();
}

void DatasetModel::setColumns(const QList<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset)
        return 0;
    return m_dataset->visibleRowCount();
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

const Field *DatasetModel::columnField(int column) const
{
    if (!m_dataset || column < 0 || column >= m_columns.size())
        return nullptr;
    return m_dataset->findField(m_columns.at(column).fieldName);
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    const Field *f = columnField(index.column());
    if (!f || !index.isValid())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
        return {};
    if (role == Qt::TextAlignmentRole) {
        const bool number = f->type() == FieldType::Money || f->type() == FieldType::Integer
            || f->type() == FieldType::AutoInc;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    try {
        const Row row = m_dataset->visibleRow(index.row());
        return f->format(row.value(f->index()), role == Qt::DisplayRole);
    } catch (const std::exception &) {
        return {}; // a row that cannot be read shows empty rather than stopping the paint
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn &c = m_columns.at(section);
    if (role == Qt::DisplayRole)
        return c.title.isEmpty() ? c.fieldName : c.title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(c.titleAlignment);
    return {};
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const Field *f = columnField(index.column());
    if (m_editable && f && !f->isCalculated() && !f->isReadOnly())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DatasetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !m_dataset)
        return false;
    Field *f = m_dataset->findField(m_columns.value(index.column()).fieldName);
    if (!f)
        return false;
    return messages::guard([&] {
        if (!m_dataset->isEditing()) {
            m_dataset->gotoBookmark(m_dataset->bookmarkAt(index.row()));
            m_dataset->edit();
        }
        f->setText(value.toString());
    });
}

DBGrid::DBGrid(QWidget *parent, const QString &name) : QTableView(parent), m_link(this), m_model(new DatasetModel(this))
{
    setObjectName(name);
    setModel(m_model);
    setItemDelegate(m_delegate = new EntryDelegate(m_model, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setVisible(false);
    m_link.onRecordChanged = [this] { reset(); };
    // A cell still being typed into belongs to the row, as an editor's text does.
    m_link.onUpdateRecord = [this](bool) { commitOpenEditor(); };
}

void DBGrid::commitOpenEditor()
{
    if (state() != EditingState)
        return;
    // A refused cell is tried again, and warned about again.
    m_delegate->forget();
    if (QWidget *editor = indexWidget(currentIndex()))
        commitData(editor);
    // The row is not stored with a cell the field refused; the warning has
    // been given.
    if (m_delegate->isRefused(indexWidget(currentIndex())))
        throw Abort();
}

void DBGrid::commitData(QWidget *editor)
{
    // The same refused text again (the view commits on every way out of the
    // cell) is not worth a second warning.
    if (editor && editor == m_delegate->refused())
        return;
    QTableView::commitData(editor);
}

void DBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // A refused cell keeps what was typed for the clerk to correct; Escape
    // gives it up.
    if (m_delegate->isRefused(editor) && hint != QAbstractItemDelegate::RevertModelCache) {
        editor->setFocus();
        return;
    }
    if (m_delegate->isRefused(editor))
        m_delegate->forget();
    QTableView::closeEditor(editor, hint);
}

void DBGrid::setDataSource(DataSource *source)
{
    m_link.setDataSource(source);
    reset();
}

void DBGrid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    followDataset();
}

void DBGrid::setReadOnlyGrid(bool readOnly)
{
    m_readOnly = readOnly;
    m_model->setEditable(!readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                   | QAbstractItemView::AnyKeyPressed);
}

void DBGrid::reset()
{
    Dataset *d = m_link.dataset();
    // A refused cell of a row that was cancelled or left has nothing to correct.
    if (QWidget *editor = m_delegate ? m_delegate->keptEditor() : nullptr; editor && !(d && d->isEditing())) {
        m_delegate->forget();
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
    if (m_model->dataset() != d) {
        m_model->setDataset(d);
        disconnect(m_listConnection);
        if (d) {
            m_listConnection = connect(d, &Dataset::listChanged, this, [this, d] {
                if (m_model->dataset() == d) {
                    m_model->setDataset(d);
                    followDataset();
                }
            });
        }
    } else if (d) {
        emit m_model->dataChanged(m_model->index(0, 0),
                                  m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1));
    }
    followDataset();
}

void DBGrid::followDataset()
{
    Dataset *d = m_link.dataset();
    if (!d || !d->isActive())
        return;
    const int row = d->visibleCurrentIndex();
    m_following = true;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, std::max(currentIndex().column(), 0)));
    else
        clearSelection();
    m_following = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || current.row() == previous.row())
        return;
    Dataset *d = m_link.dataset();
    if (!d || current.row() == d->visibleCurrentIndex())
        return;
    // The clicked row is known by its bookmark: settling a pending row first
    // may post it elsewhere or drop it, which shifts the rows below.
    const QVariant clicked = d->bookmarkAt(current.row());
    messages::guard([d, clicked] { d->gotoBookmark(clicked); });
    followDataset();
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    Dataset *d = m_link.dataset();
    if (!m_readOnly && d && event->key() == Qt::Key_Insert) {
        messages::guard([d] { d->insert(); });
        return;
    }
    if (!m_readOnly && d && event->key() == Qt::Key_Escape && d->isEditing() && state() != EditingState) {
        messages::guard([d] { d->cancel(); });
        return;
    }
    QTableView::keyPressEvent(event);
}
