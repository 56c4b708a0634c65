#pragma once

#include "runtime/db/datasource.h"
#include "runtime/db/error.h"
#include "runtime/db/field.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>


enum class DataState { Inactive, Browse, Edit, Insert };

// What a post-error handler decides: let the error go on, or end the post
// silently (the row stays in insert or edit state with its values).
enum class DataAction { Fail, Abort };

using Row = QVector<QVariant>;

// A cursor over rows with a state and fields by name (case-insensitive).
//
// Settle rule: moving, starting an insertion, looking up a key, refreshing
// and closing first settle a pending insertion or edit: it is posted if a
// field was changed and cancelled otherwise. Bound editors take part through
// the updateRecord signal.
class Dataset : public QObject {
    Q_OBJECT
public:
    explicit Dataset(const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    // Fields are declared before the dataset is opened.
    Field *addField(const FieldDef &def);
    QList<Field *> fields() const;
    Field *findField(const QString &name) const;    // nullptr when absent
    Field *fieldByName(const QString &name) const;  // throws DatabaseError

    void open();
    void close();
    bool isActive() const { return m_state != DataState::Inactive; }
    DataState state() const { return m_state; }
    bool isEditing() const { return m_state == DataState::Edit || m_state == DataState::Insert; }

    // Navigation. bof()/eof() tell whether the last move ran into the start
    // or the end; first() sets bof, last() sets eof.
    void first();
    void last();
    void next();
    void prior();
    void moveTo(int index);                          // 0-based among the rows
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const;
    int recordCount() const;                         // rows (of the master's range)
    int recNo() const;                               // 0-based current index, -1 when none

    void insert();                                   // at the current position
    void append();                                   // after the last row
    void edit();                                     // no rows: starts an insertion
    void post();
    void cancel();
    void remove();                                   // delete the current row
    void refresh();
    // Another program changed the rows: they are read again as soon as no
    // row is being typed into here or in a detail; the current row stays
    // current (or the nearest one when it is gone). No settle, no events.
    void markStale();
    // Reads the rows again now, keeping the current row; nothing while a
    // row is being typed. For the program's own steps inside a transaction.
    void readAgain();
    bool isReadingAgain() const { return m_readingAgain; }
    // Posts if a field was changed, cancels otherwise; nothing when browsing.
    // A changed row first goes to beforeSettle, which may post or cancel it
    // itself, or throw Abort to stop whatever wanted to settle it.
    void checkBrowseMode();
    // Bound editors write what was typed into the row (not the program's
    // own text); true when the row is then changed.
    bool takeTypedText();
    bool isModified() const { return m_modified; }

    // Key lookup on the index in use: exact match of the whole key.
    bool findKey(const QVariantList &values);
    // Whether a stored row of the range holds the key; settles nothing and
    // does not move.
    bool hasKey(const QVariantList &values);
    // Settles, then moves to the first row whose text in one of `fields`
    // contains `text` regardless of case: from the first row, or with
    // `after` from the row after the current one, round past the last.
    // False, and no move, when no row contains it.
    bool locateContaining(const QStringList &fields, const QString &text, bool after);

    // A bookmark names a stored row for as long as it exists, whatever the
    // settle rule posts or drops before a move (a table's row identity).
    // Null for no row and for the row being inserted.
    QVariant bookmark() const;
    QVariant bookmarkAt(int visibleIndex) const;
    // Settles a pending row, then makes the bookmarked row current; false
    // (and no move) when the row is no longer in the dataset's range.
    bool gotoBookmark(const QVariant &bookmark);

    // While alive, edits and posts of this dataset are the program's own
    // (renumbering, cascades), not the clerk's: bound editors neither stamp
    // nor write their text into the row.
    class ProgramChange {
    public:
        explicit ProgramChange(Dataset &dataset) : m_dataset(dataset) { ++m_dataset.m_programChange; }
        ~ProgramChange() { --m_dataset.m_programChange; }
        ProgramChange(const ProgramChange &) = delete;
        ProgramChange &operator=(const ProgramChange &) = delete;

    private:
        Dataset &m_dataset;
    };
    bool isProgramChange() const { return m_programChange > 0; }

    // The current row's value of a field (also during insert/edit).
    QVariant value(int fieldIndex) const;
    // A row of the visible list without moving the cursor (grids, reports).
    // While inserting, the list holds the new row at its insert position.
    int visibleRowCount() const;
    int visibleCurrentIndex() const;
    Row visibleRow(int index) const;

    // Master/detail: a detail shows only the rows whose link fields equal the
    // master's current values, follows every change of the master row and
    // fills the link fields of rows inserted into it. Changeable while open.
    void setMasterSource(DataSource *source);
    DataSource *masterSource() const { return m_masterSource; }
    void setMasterFields(const QString &fields);     // "No_Anggota" or "A;B"
    QString masterFields() const { return m_masterFields.join(';'); }
    QVariantList masterValues() const;

    // Events.
    std::function<void(Dataset &)> onCalcFields;
    std::function<void(Dataset &)> beforeInsert;
    // A settle (a move, a lookup, a re-read, a master's move) is about to
    // post the changed row under edit.
    std::function<void(Dataset &)> beforeSettle;
    std::function<void(Dataset &)> beforePost;
    std::function<void(Dataset &)> afterPost;
    std::function<void(Dataset &)> afterRefresh;
    std::function<void(Dataset &, const DatabaseError &, DataAction &)> onPostError;

    // True while the calculated-fields event runs (writes to calculated fields allowed).
    bool inCalcFields() const { return m_inCalc; }

signals:
    void stateChanged();
    // The current row moved or was re-read: bound controls show it afresh.
    void recordChanged();
    // The visible list changed (rows added, removed, re-read, range changed).
    void listChanged();
    // A field of the row under edit changed.
    void fieldChanged(Field *field);
    // Bound editors write pending text into the row. withProgramText: also
    // text set by the program (a date stamp) that was not typed.
    void updateRecord(bool withProgramText);
    // Before a settle decides to post or cancel, details settle too.
    void aboutToSettle();
    // The rows are about to change: a store, a deletion, a re-read or
    // closing. Whoever reads rows later by position reads them now.
    void aboutToChange();

protected:
    // Storage hooks implemented by Table and Query.
    virtual void doOpen() = 0;
    virtual void doClose() = 0;
    virtual int doCount() const = 0;                   // rows in the current range
    virtual Row doRow(int index) const = 0;            // stored fields, index < count
    // Re-reads range and rows; returns the new index of the row that was at
    // `current` (or the nearest one), -1 when empty.
    virtual int doReload(int current) = 0;
    virtual bool doHasRow(int index) const { return index >= 0 && index < doCount(); }
    virtual bool canModify() const { return true; }
    // Whether rows may be read again now (not in the middle of a transaction).
    virtual bool canReadAgainNow() const { return true; }
    virtual int doInsertRow(const Row &row);           // returns new index or -1
    virtual int doUpdateRow(int index, const Row &row);
    virtual void doDeleteRow(int index);
    virtual int doFind(const QVariantList &values);    // index or -1
    // Index of the first row from `from` on, round past the end, whose text
    // in one of `fields` contains `text`; -1 when none. Reads row by row.
    virtual int doFindContaining(const QStringList &fields, const QString &text, int from) const;
    // Bookmarks of rows of the range; a dataset whose rows never change
    // while open uses their index.
    virtual QVariant doBookmark(int index) const { return index; }
    virtual int doIndexOfBookmark(const QVariant &bookmark) const;

    void requireActive() const;
    void requireEditing() const;
    void requireModifiable() const;
    Row readRow(int index) const;                      // stored + calculated
    void calculate(Row &row) const;
    void setCurrent(int index);
    void emitAll();
    int storedFieldCount() const { return m_storedCount; }
    const QList<Field *> &fieldList() const { return m_fieldPtrs; }
    QStringList masterFieldList() const { return m_masterFields; }
    void masterChanged();

private:
    friend class Field;
    void setFieldValue(Field *field, const QVariant &value);
    void prepareMove();
    // Makes a found row current; false for -1.
    bool arriveAt(int index);
    void startInsert(int position);
    void afterStore(int index, int fallback);
    void showStoredAfterConflict();
    void reloadHere();
    Row emptyRow() const;
    void connectMaster();
    void checkEntries() const;
    void readAgainIfStale();
    // A row is being typed here or in a detail.
    bool isBusy() const;

    std::vector<std::unique_ptr<Field>> m_fields;
    QList<Field *> m_fieldPtrs;
    int m_storedCount = 0;
    DataState m_state = DataState::Inactive;
    int m_current = -1;                 // index into the range
    int m_insertAt = -1;                // visible position of the row being inserted
    Row m_buffer;                       // current row (edited copy while editing)
    bool m_modified = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_programChange = 0;
    mutable bool m_inCalc = false;
    mutable Row *m_calcRow = nullptr;
    QPointer<DataSource> m_masterSource;
    QStringList m_masterFields;
    QList<QMetaObject::Connection> m_masterConnections;
    QMetaObject::Connection m_sourceConnection;
    QPointer<Dataset> m_linkedMaster;
    QList<QPointer<Dataset>> m_details;
    QVariantList m_linkValues;          // the master's values the range was read for
    bool m_stale = false;
    bool m_readingAgain = false;
    class QTimer *m_staleRetry = nullptr;

    friend class DataSource;
    // Steps through the rows without a signal per row (walk.h).
    friend class DatasetWalk;
};
