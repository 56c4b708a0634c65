#pragma once

#include "runtime/db/connection.h"
#include "runtime/db/datasource.h"
#include "runtime/db/query.h"
#include "runtime/db/table.h"

#include <QList>
#include <QObject>

#include <memory>

// The data module: owns the connection to the alias DBsimpanpinjam, every
// dataset and data source of the program, and the rules that run in the
// datasets' events. Creating it opens all six datasets on their first row.
class Tmodul : public QObject {
    Q_OBJECT
public:
    static constexpr const char *Alias = "DBsimpanpinjam";

    explicit Tmodul(QObject *parent = nullptr);
    ~Tmodul() override;

    // The four table files with their schemas, in the order they are opened.
    static QList<TableSchema> schemas();

    // Datasets and data sources, in their declared order.
    Table *Tortu;
    DataSource *DSortu;
    Table *Tsimpan1;
    DataSource *DSsimpan1;
    Query *Query1;
    DataSource *DSquery;
    Table *Tpinjam;
    DataSource *DSpinjam;
    Query *Query2;
    DataSource *DSQuery2;
    Table *Tanggota1;
    DataSource *DSanggota1;

    Connection *connection() const { return m_connection.get(); }

    // Rules attached to the datasets' events.
    void Tanggota1CalcFields(Dataset &dataset);
    void Tsimpan1CalcFields(Dataset &dataset);
    void Tsimpan1AfterPost(Dataset &dataset);
    void Tsimpan1AfterRefresh(Dataset &dataset);
    void Tsimpan1PostError(Dataset &dataset, const DatabaseError &error, DataAction &action);
    void TpinjamCalcFields(Dataset &dataset);
    void TpinjamBeforeInsert(Dataset &dataset);
    void TpinjamPostError(Dataset &dataset, const DatabaseError &error, DataAction &action);
    void Query1CalcFields(Dataset &dataset);
    void Query2CalcFields(Dataset &dataset);

    // Moves the member table to the first member, in the table's order,
    // whose name or NPM contains `text` regardless of case; with `next`, to
    // the next such member after the current one, round past the last.
    // False, and no move, when no member matches.
    bool findMemberByText(const QString &text, bool next);

    // Whether a stored member holds this number; moves nothing, stores
    // nothing.
    bool memberNumberTaken(const QString &number);
    // Stores the member being edited under `number`, all or nothing: the
    // number carried over to its savings, loans and parents rows, then the
    // member row with the clerk's changes. Returns false, with nothing
    // stored and the row still in edit, when a stored member holds the
    // number; keeping its own number is a plain post.
    bool storeMemberAs(const QString &number);

    // Drops the member row being added, with any parents, savings or loans
    // rows already given to its new number, all or nothing.
    void cancelNewMember();

    // What goes with the current member when it is deleted.
    struct Holdings {
        int savings = 0;
        Money savingsTotal;     // the three amounts of every deposit
        int loans = 0;
        Money loansTotal;       // amount and fee: what is to be repaid
        bool operator==(const Holdings &) const = default;
    };
    Holdings currentMemberHoldings();
    // Deletes the current member with its savings, loans and parents rows,
    // all or nothing. Refused (code RowChanged) when its stored savings and
    // loans are no longer `named`, what the question about it told.
    void deleteCurrentMember(const Holdings &named);

    // The year of the oldest deposit or loan; the current year when there
    // is none.
    int oldestTransactionYear();
    // Opens the loans table, which the loans window closes when it closes.
    void openLoans();

private:
    void declareFields();
    void attachRules();
    void holdMemberWithDetails(bool refuseNewRows);
    void carryNumberOver(const QString &number);
    void restoreTypedMember(const Row &typed);
    void showFilesAfterRollback(bool dropMemberEdit);
    // Deletes the current member's savings, loans and parents rows, all or
    // nothing; with `named`, the member row too, when its holdings are still
    // those.
    void removeMemberDetails(const Holdings *named);

    std::unique_ptr<Connection> m_connection;
};

extern Tmodul *modul;
