#include "runtime/db/dataset.h"

#include "runtime/db/datasource.h"

#include <QScopedValueRollback>
#include <QTimer>

namespace {

DatabaseError inactiveError(const QString &name)
{
    return DatabaseError(dberr::Inactive, QStringLiteral("%1: tabel belum dibuka").arg(name));
}

} // namespace

Dataset::Dataset(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

Dataset::~Dataset() = default;

Field *Dataset::addField(const FieldDef &def)
{
    m_fields.push_back(std::make_unique<Field>(this, def, int(m_fields.size())));
    m_fieldPtrs.append(m_fields.back().get());
    if (!def.calculated)
        ++m_storedCount;
    return m_fieldPtrs.back();
}

QList<Field *> Dataset::fields() const
{
    return m_fieldPtrs;
}

Field *Dataset::findField(const QString &name) const
{
    for (Field *f : m_fieldPtrs) {
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    return nullptr;
}

Field *Dataset::fieldByName(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw DatabaseError(dberr::NoSuchField, QStringLiteral("%1: kolom %2 tidak ada").arg(objectName(), name));
}

void Dataset::requireActive() const
{
    if (!isActive())
        throw inactiveError(objectName());
}

void Dataset::requireEditing() const
{
    if (!isEditing())
        throw DatabaseError(dberr::NotEditing, QStringLiteral("%1: data tidak sedang ditambah atau diubah").arg(objectName()));
}

void Dataset::requireModifiable() const
{
    requireActive();
    if (!canModify())
        throw DatabaseError(dberr::General, QStringLiteral("%1: data ini hanya dapat dibaca").arg(objectName()));
}

Row Dataset::emptyRow() const
{
    return Row(m_fieldPtrs.size());
}

void Dataset::calculate(Row &row) const
{
    if (!onCalcFields)
        return;
    for (Field *f : m_fieldPtrs) {
        if (f->isCalculated())
            row[f->index()] = QVariant();
    }
    Row *previous = m_calcRow;
    const bool wasInCalc = m_inCalc;
    m_calcRow = &row;
    m_inCalc = true;
    try {
        onCalcFields(*const_cast<Dataset *>(this));
    } catch (...) {
        m_calcRow = previous;
        m_inCalc = wasInCalc;
        throw;
    }
    m_calcRow = previous;
    m_inCalc = wasInCalc;
}

Row Dataset::readRow(int index) const
{
    Row row = doRow(index);
    row.resize(m_fieldPtrs.size());
    calculate(row);
    return row;
}

QVariant Dataset::value(int fieldIndex) const
{
    if (m_calcRow)
        return m_calcRow->value(fieldIndex);
    if (m_state == DataState::Inactive)
        return {};
    return m_buffer.value(fieldIndex);
}

void Dataset::setFieldValue(Field *field, const QVariant &value)
{
    if (m_calcRow) {
        if (!field->isCalculated())
            throw DatabaseError(dberr::NotEditing,
                                QStringLiteral("\"%1\" tidak dapat diubah saat menghitung").arg(field->displayLabel()));
        (*m_calcRow)[field->index()] = value;
        return;
    }
    requireEditing();
    if (field->isCalculated() || field->isReadOnly())
        throw DatabaseError(dberr::NotEditing, QStringLiteral("\"%1\" tidak dapat diubah").arg(field->displayLabel()));
    const QVariant previous = m_buffer.value(field->index());
    m_buffer[field->index()] = value;
    try {
        calculate(m_buffer);
    } catch (...) {
        // A value whose calculated fields cannot be represented is refused whole.
        m_buffer[field->index()] = previous;
        calculate(m_buffer);
        throw;
    }
    m_modified = true;
    emit fieldChanged(field);
}

void Dataset::setCurrent(int index)
{
    m_current = index;
    m_buffer = index >= 0 ? readRow(index) : emptyRow();
    emit recordChanged();
}

void Dataset::emitAll()
{
    // State last: controls that react to a new insert or edit state see the
    // new row already.
    emit listChanged();
    emit recordChanged();
    emit stateChanged();
}

void Dataset::open()
{
    if (isActive())
        return;
    doOpen();
    m_state = DataState::Browse;
    m_modified = false;
    m_insertAt = -1;
    m_current = -1;
    const bool any = doHasRow(0);
    m_buffer = any ? readRow(0) : emptyRow();
    m_current = any ? 0 : -1;
    m_bof = true;
    m_eof = !any;
    m_linkValues = masterValues();
    emitAll();
}

void Dataset::close()
{
    if (!isActive())
        return;
    // A pending row is dropped: closing a window discards what was not posted.
    emit aboutToChange();
    m_state = DataState::Browse;
    m_insertAt = -1;
    m_modified = false;
    doClose();
    m_state = DataState::Inactive;
    m_current = -1;
    m_buffer.clear();
    m_bof = m_eof = true;
    emitAll();
}

bool Dataset::takeTypedText()
{
    if (!isEditing())
        return false;
    if (!isProgramChange())
        emit updateRecord(false);
    return m_modified;
}

void Dataset::checkBrowseMode()
{
    if (!takeTypedText()) {
        cancel();
        return;
    }
    if (beforeSettle && !isProgramChange()) {
        beforeSettle(*this);
        // The handler may have stored or dropped the row itself.
        if (!isEditing())
            return;
    }
    post();
}

void Dataset::prepareMove()
{
    requireActive();
    checkBrowseMode();
    emit aboutToSettle();
}

void Dataset::first()
{
    prepareMove();
    const bool any = doHasRow(0);
    setCurrent(any ? 0 : -1);
    m_bof = true;
    m_eof = !any;
}

void Dataset::last()
{
    prepareMove();
    const int count = doCount();
    setCurrent(count - 1);
    m_eof = true;
    m_bof = count == 0;
}

void Dataset::next()
{
    prepareMove();
    m_bof = false;
    if (m_current >= 0 && doHasRow(m_current + 1)) {
        m_eof = false;
        setCurrent(m_current + 1);
        return;
    }
    m_eof = true;
}

void Dataset::prior()
{
    prepareMove();
    m_eof = false;
    if (m_current > 0) {
        m_bof = false;
        setCurrent(m_current - 1);
        return;
    }
    m_bof = true;
}

void Dataset::moveTo(int index)
{
    prepareMove();
    if (!doHasRow(index))
        return;
    m_bof = m_eof = false;
    if (index != m_current)
        setCurrent(index);
}

bool Dataset::isEmpty() const
{
    requireActive();
    return m_state != DataState::Insert && !doHasRow(0);
}

int Dataset::recordCount() const
{
    requireActive();
    return doCount();
}

int Dataset::recNo() const
{
    return isActive() ? m_current : -1;
}

void Dataset::startInsert(int position)
{
    if (beforeInsert)
        beforeInsert(*this);
    m_buffer = emptyRow();
    const QVariantList links = masterValues();
    for (int i = 0; i < m_masterFields.size() && i < links.size(); ++i) {
        if (Field *f = findField(m_masterFields.at(i)))
            m_buffer[f->index()] = links.at(i);
    }
    calculate(m_buffer);
    m_insertAt = position;
    m_modified = false;
    m_state = DataState::Insert;
    emitAll();
}

void Dataset::insert()
{
    requireModifiable();
    prepareMove();
    startInsert(m_current < 0 ? 0 : m_current);
}

void Dataset::append()
{
    requireModifiable();
    prepareMove();
    startInsert(doCount());
}

void Dataset::edit()
{
    requireModifiable();
    if (isEditing())
        return;
    if (!doHasRow(0)) {
        insert();
        return;
    }
    m_modified = false;
    m_state = DataState::Edit;
    emit stateChanged();
}

void Dataset::afterStore(int index, int fallback)
{
    m_state = DataState::Browse;
    m_insertAt = -1;
    m_modified = false;
    if (index < 0) {
        // The row left this range (a detail row moved to another master):
        // the next row takes its place.
        const int count = doCount();
        index = count == 0 ? -1 : std::min(fallback, count - 1);
    }
    m_current = -1;
    emit listChanged();
    setCurrent(index);
    emit stateChanged();
}

void Dataset::post()
{
    requireEditing();
    if (!isProgramChange())
        emit updateRecord(true);
    if (beforePost)
        beforePost(*this);
    const bool inserting = m_state == DataState::Insert;
    const int fallback = inserting ? std::max(m_insertAt, 0) : m_current;
    int index = -1;
    try {
        checkEntries();
        emit aboutToChange();
        index = inserting ? doInsertRow(m_buffer) : doUpdateRow(m_current, m_buffer);
    } catch (const DatabaseError &error) {
        if (error.code() == dberr::RowChanged) {
            showStoredAfterConflict();
            throw;
        }
        DataAction action = DataAction::Fail;
        if (onPostError)
            onPostError(*this, error, action);
        if (action == DataAction::Abort)
            throw Abort();
        throw;
    }
    afterStore(index, fallback);
    if (afterPost)
        afterPost(*this);
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    m_state = DataState::Browse;
    m_insertAt = -1;
    m_modified = false;
    const int count = doCount();
    const int index = count == 0 ? -1 : std::clamp(m_current, 0, count - 1);
    m_current = -1;
    emit listChanged();
    setCurrent(index);
    emit stateChanged();
}

void Dataset::remove()
{
    requireActive();
    if (m_state == DataState::Insert) {
        cancel();
        return;
    }
    if (m_current < 0)
        throw DatabaseError(dberr::General, QStringLiteral("%1: tidak ada data").arg(objectName()));
    const int at = m_current;
    emit aboutToChange();
    try {
        doDeleteRow(at);
    } catch (const DatabaseError &error) {
        if (error.code() == dberr::RowChanged)
            showStoredAfterConflict();
        throw;
    }
    afterStore(-1, at);
}

// Another desk changed or deleted the row since it was read: what was typed
// is dropped and the rows are read again, so the clerk sees the row as it
// now is (or no longer sees it).
void Dataset::showStoredAfterConflict()
{
    m_state = DataState::Browse;
    m_insertAt = -1;
    m_modified = false;
    reloadHere();
    emit stateChanged();
}

void Dataset::markStale()
{
    m_stale = true;
    readAgainIfStale();
}

bool Dataset::isBusy() const
{
    if (isEditing())
        return true;
    for (const QPointer<Dataset> &detail : m_details) {
        if (detail && detail->isActive() && detail->isBusy())
            return true;
    }
    return false;
}

void Dataset::readAgainIfStale()
{
    if (!m_stale)
        return;
    if (!isActive()) {
        m_stale = false;
        return;
    }
    if (!m_staleRetry) {
        m_staleRetry = new QTimer(this);
        m_staleRetry->setSingleShot(true);
        connect(m_staleRetry, &QTimer::timeout, this, &Dataset::readAgainIfStale);
    }
    // A row being typed is never touched: the rows are read once it is
    // posted or cancelled.
    if (isBusy() || !canReadAgainNow()) {
        m_staleRetry->start(250);
        return;
    }
    try {
        readAgain();
    } catch (const DatabaseError &) {
        // The server is out of reach for now; tried again in a while.
        m_stale = true;
        m_staleRetry->start(1000);
    } catch (const std::exception &) {
        m_stale = false;
    }
}

void Dataset::readAgain()
{
    if (!isActive() || isEditing())
        return;
    m_stale = false;
    const QScopedValueRollback reading(m_readingAgain, true);
    emit aboutToChange();
    reloadHere();
}

// The rows read anew; the current row stays current, or the nearest one
// when it is gone.
void Dataset::reloadHere()
{
    const int index = doReload(m_current);
    m_current = -1;
    emit listChanged();
    setCurrent(index);
    if (index < 0)
        m_bof = m_eof = true;
}

void Dataset::refresh()
{
    prepareMove();
    emit aboutToChange();
    reloadHere();
    if (afterRefresh)
        afterRefresh(*this);
}

bool Dataset::findKey(const QVariantList &values)
{
    prepareMove();
    const int index = doFind(values);
    if (index < 0)
        return false;
    m_bof = m_eof = false;
    setCurrent(index);
    return true;
}

bool Dataset::locateContaining(const QStringList &fields, const QString &text, bool after)
{
    prepareMove();
    if (text.isEmpty() || !doHasRow(0))
        return false;
    return arriveAt(doFindContaining(fields, text, after ? m_current + 1 : 0));
}

int Dataset::doFindContaining(const QStringList &fields, const QString &text, int from) const
{
    QList<int> columns;
    for (const QString &name : fields)
        columns << fieldByName(name)->index();
    const int count = doCount();
    for (int step = 0; step < count; ++step) {
        const int index = (from + step) % count;
        const Row row = readRow(index);
        for (int column : columns) {
            if (row.at(column).toString().contains(text, Qt::CaseInsensitive))
                return index;
        }
    }
    return -1;
}

bool Dataset::hasKey(const QVariantList &values)
{
    requireActive();
    return doFind(values) >= 0;
}

QVariant Dataset::bookmark() const
{
    if (!isActive() || m_state == DataState::Insert || !doHasRow(m_current))
        return {};
    return doBookmark(m_current);
}

QVariant Dataset::bookmarkAt(int visibleIndex) const
{
    if (!isActive())
        return {};
    int index = visibleIndex;
    if (m_state == DataState::Insert) {
        if (visibleIndex == m_insertAt)
            return {};
        if (visibleIndex > m_insertAt)
            --index;
    }
    return doHasRow(index) ? doBookmark(index) : QVariant();
}

bool Dataset::gotoBookmark(const QVariant &bookmark)
{
    if (bookmark.isNull())
        return false;
    prepareMove();
    return arriveAt(doIndexOfBookmark(bookmark));
}

bool Dataset::arriveAt(int index)
{
    if (index < 0)
        return false;
    m_bof = m_eof = false;
    if (index != m_current)
        setCurrent(index);
    return true;
}

int Dataset::doIndexOfBookmark(const QVariant &bookmark) const
{
    const int index = bookmark.toInt();
    return doHasRow(index) ? index : -1;
}

// Masked text fields hold what was typed, so that a grid keeps it; a typed
// value that does not fill its mask is refused here, before it is stored.
void Dataset::checkEntries() const
{
    Field::checkEntries(m_fieldPtrs);
}

int Dataset::visibleRowCount() const
{
    if (!isActive())
        return 0;
    return doCount() + (m_state == DataState::Insert ? 1 : 0);
}

int Dataset::visibleCurrentIndex() const
{
    return m_state == DataState::Insert ? m_insertAt : m_current;
}

Row Dataset::visibleRow(int index) const
{
    if (m_state == DataState::Insert) {
        if (index == m_insertAt)
            return m_buffer;
        if (index > m_insertAt)
            --index;
    }
    if (m_state == DataState::Edit && index == m_current)
        return m_buffer;
    return readRow(index);
}

int Dataset::doInsertRow(const Row &)
{
    throw DatabaseError(dberr::General, QStringLiteral("%1: data ini hanya dapat dibaca").arg(objectName()));
}

int Dataset::doUpdateRow(int, const Row &)
{
    throw DatabaseError(dberr::General, QStringLiteral("%1: data ini hanya dapat dibaca").arg(objectName()));
}

void Dataset::doDeleteRow(int)
{
    throw DatabaseError(dberr::General, QStringLiteral("%1: data ini hanya dapat dibaca").arg(objectName()));
}

int Dataset::doFind(const QVariantList &)
{
    throw DatabaseError(dberr::General, QStringLiteral("%1: tidak ada indeks untuk mencari kunci").arg(objectName()));
}

// Master/detail -------------------------------------------------------------

void Dataset::setMasterSource(DataSource *source)
{
    if (m_masterSource == source)
        return;
    m_masterSource = source;
    connectMaster();
    disconnect(m_sourceConnection);
    if (source)
        m_sourceConnection = connect(source, &DataSource::dataSetChanged, this, [this] {
            connectMaster();
            if (isActive())
                masterChanged();
        });
    if (isActive())
        masterChanged();
}

void Dataset::connectMaster()
{
    for (const auto &c : std::as_const(m_masterConnections))
        disconnect(c);
    m_masterConnections.clear();
    if (m_linkedMaster)
        m_linkedMaster->m_details.removeAll(QPointer<Dataset>(this));
    Dataset *master = m_masterSource ? m_masterSource->dataSet() : nullptr;
    m_linkedMaster = master;
    if (!master)
        return;
    master->m_details.append(this);
    m_masterConnections << connect(master, &Dataset::recordChanged, this, [this, master] {
        if (!isActive())
            return;
        // The master read again on the same key: this range has its own news.
        if (master->isReadingAgain() && masterValues() == m_linkValues)
            return;
        masterChanged();
    });
    m_masterConnections << connect(master, &Dataset::fieldChanged, this, [this](Field *field) {
        if (isActive() && m_masterFields.contains(field->name(), Qt::CaseInsensitive))
            masterChanged();
    });
    m_masterConnections << connect(master, &Dataset::aboutToSettle, this, [this] {
        if (isActive()) {
            checkBrowseMode();
            emit aboutToSettle();
        }
    });
}

void Dataset::setMasterFields(const QString &fields)
{
    const QStringList list = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (list == m_masterFields)
        return;
    m_masterFields = list;
    if (isActive())
        masterChanged();
}

QVariantList Dataset::masterValues() const
{
    QVariantList values;
    Dataset *master = m_masterSource ? m_masterSource->dataSet() : nullptr;
    if (!master || m_masterFields.isEmpty())
        return values;
    for (const QString &name : m_masterFields) {
        const Field *f = master->findField(name);
        values << (f && master->isActive() ? f->value() : QVariant());
    }
    return values;
}

void Dataset::masterChanged()
{
    checkBrowseMode();
    m_linkValues = masterValues();
    emit aboutToChange();
    const int index = doReload(-1);
    Q_UNUSED(index);
    const bool any = doHasRow(0);
    m_current = -1;
    emit listChanged();
    setCurrent(any ? 0 : -1);
    m_bof = true;
    m_eof = !any;
}
