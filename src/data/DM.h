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

    // Stores the member being edited under `number`, all or nothing: its
    // pending changes first (the lookup for the number stores them), then
    // the number carried over to its savings, loans and parents rows and
    // the member row. Returns false, with the changes stored under the old
    // number, when another stored member (or the member itself) holds it.
    bool storeMemberAs(const QString &number);
    // Deletes the current member with its savings, loans and parents rows,
    // all or nothing.
    void deleteCurrentMember();
    // Opens the loans table, which the loans window closes when it closes.
    void openLoans();

private:
    void declareFields();
    void attachRules();
    void carryNumberOver(const QString &number);
    void showFilesAfterRollback(bool dropMemberEdit);

    std::unique_ptr<Connection> m_connection;
};

extern Tmodul *modul;
