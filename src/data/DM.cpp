#include "data/DM.h"

#include "data/rules.h"
#include "loans/pinjaman.h"
#include "runtime/forms/messages.h"
#include "runtime/db/walk.h"
#include "savings/simpanan.h"

#include <QDate>

#include <algorithm>

Tmodul *modul = nullptr;

namespace {

FieldDef text(const QString &name, int size)
{
    return FieldDef(name, FieldType::Text, size);
}

FieldDef typed(const QString &name, FieldType type)
{
    return FieldDef(name, type);
}

FieldDef amount(const QString &name, bool checked)
{
    FieldDef f = typed(name, FieldType::Money);
    if (checked) {
        f.required = true;
        f.minimum = Money();
    }
    return f;
}

// Messages about a field name it by the caption the clerk sees it under.
FieldDef labelled(FieldDef f, const QString &label)
{
    f.label = label;
    return f;
}

FieldDef calculated(FieldDef f)
{
    f.calculated = true;
    return f;
}

QList<FieldDef> memberFields()
{
    FieldDef nbk = text(QStringLiteral("NBK"), 5);
    nbk.displayWidth = 3;
    FieldDef birth = labelled(typed(QStringLiteral("Tgl_Lahir"), FieldType::Date), QStringLiteral("Tanggal lahir"));
    birth.editMask = QStringLiteral("!99/99/00;1;_");
    return {labelled(text(QStringLiteral("No_Anggota"), 7), QStringLiteral("No. Anggota")),
            typed(QStringLiteral("Tgl_Daftar"), FieldType::Date),
            text(QStringLiteral("Nama"), 20),
            text(QStringLiteral("NPM"), 8),
            nbk,
            labelled(text(QStringLiteral("Tempat_Lahir"), 10), QStringLiteral("Tempat lahir")),
            birth,
            labelled(text(QStringLiteral("JK"), 1), QStringLiteral("Jenis Kelamin")),
            labelled(text(QStringLiteral("Gol_Darah"), 2), QStringLiteral("Gol. Darah")),
            text(QStringLiteral("Agama"), 9),
            text(QStringLiteral("Alamat"), 30),
            text(QStringLiteral("Kodepos"), 5),
            labelled(text(QStringLiteral("No_Telp"), 15), QStringLiteral("No. Telp."))};
}

QList<FieldDef> parentFields()
{
    FieldDef postcode = text(QStringLiteral("Kodepos_Ortu"), 6);
    postcode.displayWidth = 5;
    postcode.editMask = QStringLiteral("00000;1;_");
    return {text(QStringLiteral("No_Anggota"), 7), text(QStringLiteral("Nama_Ortu"), 20),
            text(QStringLiteral("Alamat_Ortu"), 30), postcode, text(QStringLiteral("Telp_Ortu"), 15)};
}

QList<FieldDef> savingsFields(FieldType numberType)
{
    return {labelled(typed(QStringLiteral("No_Simpan"), numberType), QStringLiteral("No. Simpan")),
            labelled(text(QStringLiteral("Tgl_Simpan"), 10), QStringLiteral("Tgl Simpan")),
            labelled(text(QStringLiteral("No_Anggota"), 7), QStringLiteral("No. Anggota")),
            labelled(amount(QStringLiteral("S_Wajib"), true), QStringLiteral("S.Wajib")),
            labelled(amount(QStringLiteral("S_Sukarela"), true), QStringLiteral("S.Sukarela")),
            labelled(amount(QStringLiteral("S_Wisuda"), true), QStringLiteral("S.Wisuda")),
            amount(QStringLiteral("Total_Simpanan"), false)};
}

QList<FieldDef> loanFields(FieldType numberType)
{
    FieldDef guarantee = text(QStringLiteral("Jaminan"), 20);
    guarantee.required = true;
    return {labelled(typed(QStringLiteral("No_Pinjaman"), numberType), QStringLiteral("No")),
            labelled(text(QStringLiteral("Tgl_Pinjam"), 10), QStringLiteral("Tgl Pinjam")),
            labelled(text(QStringLiteral("No_Anggota"), 7), QStringLiteral("No. Anggota")),
            labelled(amount(QStringLiteral("Besar_Pinjam"), false), QStringLiteral("Besar Pinjam")),
            guarantee,
            amount(QStringLiteral("Administrasi"), false),
            amount(QStringLiteral("Total_Pinjam"), false)};
}

void declare(Dataset *dataset, const QList<FieldDef> &stored, const QList<FieldDef> &calc)
{
    for (const FieldDef &f : stored)
        dataset->addField(f);
    for (const FieldDef &f : calc)
        dataset->addField(calculated(f));
}

IndexDef memberIndex(bool caseInsensitive)
{
    return IndexDef{QStringLiteral("IdxNoAnggota"), {QStringLiteral("No_Anggota")}, caseInsensitive, false};
}

// Sum of the three savings amounts; empty when any of them is empty.
QVariant savingsTotal(const Dataset &dataset)
{
    Money total;
    for (const char *name : {"S_Wajib", "S_Sukarela", "S_Wisuda"}) {
        const Field *f = dataset.fieldByName(QLatin1String(name));
        if (f->isNull())
            return {};
        total += f->asMoney();
    }
    return QVariant::fromValue(total);
}

void loanFeeAndTotal(Dataset &dataset)
{
    const Field *amountField = dataset.fieldByName(QStringLiteral("Besar_Pinjam"));
    Field *fee = dataset.fieldByName(QStringLiteral("adm"));
    Field *total = dataset.fieldByName(QStringLiteral("TotPinjam"));
    if (amountField->isNull()) {
        fee->clear();
        total->clear();
        return;
    }
    fee->setMoney(rules::loanFee(amountField->asMoney()));
    total->setMoney(fee->asMoney() + amountField->asMoney());
}

// While the data module opens, a row that the rules cannot calculate names
// the file it comes from, so that start-up can tell the operator which one.
class NamingFiles {
public:
    explicit NamingFiles(const QList<std::pair<Dataset *, QString>> &datasets)
    {
        for (const auto &[dataset, file] : datasets) {
            m_saved.append({dataset, dataset->onCalcFields});
            if (!dataset->onCalcFields)
                continue;
            dataset->onCalcFields = [calc = dataset->onCalcFields, file](Dataset &d) {
                try {
                    calc(d);
                } catch (const DatabaseError &) {
                    throw;
                } catch (const std::exception &e) {
                    throw DatabaseError(dberr::InvalidValue,
                                        QStringLiteral("File %1 berisi nilai yang tidak dapat diolah program (%2).")
                                            .arg(file, QString::fromUtf8(e.what())));
                }
            };
        }
    }
    ~NamingFiles()
    {
        for (const auto &[dataset, calc] : std::as_const(m_saved))
            dataset->onCalcFields = calc;
    }
    NamingFiles(const NamingFiles &) = delete;
    NamingFiles &operator=(const NamingFiles &) = delete;

private:
    QList<std::pair<Dataset *, std::function<void(Dataset &)>>> m_saved;
};

// Turns a check violation into the operator's warning and a silent abort.
void translate(const DatabaseError &error, DataAction &action, int code, const QString &message)
{
    if (error.code() != code)
        return;
    messages::warning(message);
    action = DataAction::Abort;
}

} // namespace

QList<TableSchema> Tmodul::schemas()
{
    TableSchema members{QStringLiteral("Tanggota1.DB"), QStringLiteral("Tanggota1"), memberFields(),
                        {QStringLiteral("No_Anggota")}, {}};
    TableSchema parents{QStringLiteral("Torangtua.db"), QStringLiteral("Torangtua"), parentFields(), {},
                        {memberIndex(false)}};
    TableSchema savings{QStringLiteral("Tsimpanan1.db"), QStringLiteral("Tsimpanan1"),
                        savingsFields(FieldType::AutoInc), {}, {memberIndex(true)}};
    TableSchema loans{QStringLiteral("Tpinjaman1.DB"), QStringLiteral("Tpinjaman1"),
                      loanFields(FieldType::AutoInc), {}, {memberIndex(false)}};
    return {members, parents, savings, loans};
}

Tmodul::Tmodul(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("modul"));
    m_connection = std::make_unique<Connection>(QString::fromLatin1(Alias), schemas());

    Tortu = new Table(QStringLiteral("Tortu"), this);
    DSortu = new DataSource(QStringLiteral("DSortu"), this);
    Tsimpan1 = new Table(QStringLiteral("Tsimpan1"), this);
    DSsimpan1 = new DataSource(QStringLiteral("DSsimpan1"), this);
    Query1 = new Query(QStringLiteral("Query1"), this);
    DSquery = new DataSource(QStringLiteral("DSquery"), this);
    Tpinjam = new Table(QStringLiteral("Tpinjam"), this);
    DSpinjam = new DataSource(QStringLiteral("DSpinjam"), this);
    Query2 = new Query(QStringLiteral("Query2"), this);
    DSQuery2 = new DataSource(QStringLiteral("DSQuery2"), this);
    Tanggota1 = new Table(QStringLiteral("Tanggota1"), this);
    DSanggota1 = new DataSource(QStringLiteral("DSanggota1"), this);

    DSortu->setDataSet(Tortu);
    DSsimpan1->setDataSet(Tsimpan1);
    DSquery->setDataSet(Query1);
    DSpinjam->setDataSet(Tpinjam);
    DSQuery2->setDataSet(Query2);
    DSanggota1->setDataSet(Tanggota1);

    declareFields();
    attachRules();

    const QString alias = QString::fromLatin1(Alias);
    Tortu->setDatabaseName(alias);
    Tortu->setTableName(QStringLiteral("Torangtua.db"));
    Tortu->setIndexFieldNames(QStringLiteral("No_Anggota"));
    Tsimpan1->setDatabaseName(alias);
    Tsimpan1->setTableName(QStringLiteral("Tsimpanan1.db"));
    Tsimpan1->setIndexName(QStringLiteral("IdxNoAnggota"));
    Query1->setDatabaseName(alias);
    Query1->setSql({QStringLiteral("select * from Tpinjaman1")});
    Tpinjam->setDatabaseName(alias);
    Tpinjam->setTableName(QStringLiteral("Tpinjaman1.DB"));
    Tpinjam->setIndexName(QStringLiteral("IdxNoAnggota"));
    Query2->setDatabaseName(alias);
    Query2->setSql({QStringLiteral("select * from Tsimpanan1")});
    Tanggota1->setDatabaseName(alias);
    Tanggota1->setTableName(QStringLiteral("Tanggota1.DB"));

    for (Table *detail : {Tortu, Tsimpan1, Tpinjam}) {
        detail->setMasterSource(DSanggota1);
        detail->setMasterFields(QStringLiteral("No_Anggota"));
        // On a server another desk may renumber or delete the member meanwhile.
        detail->setMasterRowHeld(QStringLiteral("Anggota telah diubah atau dihapus oleh meja lain."));
    }

    // Details first: opening the member table last puts them on its first member.
    const NamingFiles naming({{Tortu, Tortu->tableName()}, {Tsimpan1, Tsimpan1->tableName()},
                              {Query1, Tpinjam->tableName()}, {Tpinjam, Tpinjam->tableName()},
                              {Query2, Tsimpan1->tableName()}, {Tanggota1, Tanggota1->tableName()}});
    for (Dataset *dataset : std::initializer_list<Dataset *>{Tortu, Tsimpan1, Query1, Tpinjam, Query2, Tanggota1})
        dataset->open();
}

Tmodul::~Tmodul() = default;

void Tmodul::declareFields()
{
    declare(Tanggota1, memberFields(),
            {text(QStringLiteral("Fakultas"), 13), text(QStringLiteral("JenisKelamin"), 6),
             text(QStringLiteral("AwalNoA"), 4)});
    declare(Tortu, parentFields(), {});
    declare(Tsimpan1, savingsFields(FieldType::AutoInc), {amount(QStringLiteral("Total"), false)});
    declare(Tpinjam, loanFields(FieldType::AutoInc),
            {amount(QStringLiteral("adm"), false), amount(QStringLiteral("TotPinjam"), false)});
    declare(Query1, loanFields(FieldType::Integer),
            {amount(QStringLiteral("adm"), false), amount(QStringLiteral("Totpinjam"), false)});
    declare(Query2, savingsFields(FieldType::Integer), {amount(QStringLiteral("Total"), false)});
}

void Tmodul::attachRules()
{
    Tanggota1->onCalcFields = [this](Dataset &d) { Tanggota1CalcFields(d); };
    Tsimpan1->onCalcFields = [this](Dataset &d) { Tsimpan1CalcFields(d); };
    Tsimpan1->afterPost = [this](Dataset &d) { Tsimpan1AfterPost(d); };
    Tsimpan1->afterRefresh = [this](Dataset &d) { Tsimpan1AfterRefresh(d); };
    Tsimpan1->onPostError = [this](Dataset &d, const DatabaseError &e, DataAction &a) { Tsimpan1PostError(d, e, a); };
    Tpinjam->onCalcFields = [this](Dataset &d) { TpinjamCalcFields(d); };
    Tpinjam->beforeInsert = [this](Dataset &d) { TpinjamBeforeInsert(d); };
    Tpinjam->onPostError = [this](Dataset &d, const DatabaseError &e, DataAction &a) { TpinjamPostError(d, e, a); };
    Query1->onCalcFields = [this](Dataset &d) { Query1CalcFields(d); };
    Query2->onCalcFields = [this](Dataset &d) { Query2CalcFields(d); };

    // The stored total columns mirror what was calculated when the row was
    // posted, so other tools reading the files see consistent rows; nothing
    // in the program reads them.
    Tsimpan1->beforePost = [](Dataset &d) {
        d.fieldByName(QStringLiteral("Total_Simpanan"))->setValue(d.fieldByName(QStringLiteral("Total"))->value());
    };
    Tpinjam->beforePost = [](Dataset &d) {
        d.fieldByName(QStringLiteral("Administrasi"))->setValue(d.fieldByName(QStringLiteral("adm"))->value());
        d.fieldByName(QStringLiteral("Total_Pinjam"))->setValue(d.fieldByName(QStringLiteral("TotPinjam"))->value());
    };
}

void Tmodul::Tanggota1CalcFields(Dataset &dataset)
{
    const QString npm = rules::upperAscii(dataset.fieldByName(QStringLiteral("NPM"))->asString());
    const rules::Faculty faculty = rules::facultyOf(npm);
    dataset.fieldByName(QStringLiteral("Fakultas"))->setText(faculty.name);
    dataset.fieldByName(QStringLiteral("AwalNoA"))->setText(npm.mid(3, 2) + faculty.code);
    dataset.fieldByName(QStringLiteral("JenisKelamin"))
        ->setText(rules::genderWord(dataset.fieldByName(QStringLiteral("JK"))->asString()));
}

void Tmodul::Tsimpan1CalcFields(Dataset &dataset)
{
    dataset.fieldByName(QStringLiteral("Total"))->setValue(savingsTotal(dataset));
}

void Tmodul::Query2CalcFields(Dataset &dataset)
{
    dataset.fieldByName(QStringLiteral("Total"))->setValue(savingsTotal(dataset));
}

void Tmodul::TpinjamCalcFields(Dataset &dataset)
{
    loanFeeAndTotal(dataset);
}

void Tmodul::Query1CalcFields(Dataset &dataset)
{
    loanFeeAndTotal(dataset);
}

void Tmodul::Tsimpan1AfterPost(Dataset &)
{
    if (!Fsimpan)
        return;
    Fsimpan->DBNavigator1->setEnabled(false);
    Fsimpan->DBGrid1->setEnabled(false);
}

void Tmodul::Tsimpan1AfterRefresh(Dataset &)
{
    if (Fsimpan)
        Fsimpan->DBGrid1->setEnabled(false);
}

void Tmodul::Tsimpan1PostError(Dataset &, const DatabaseError &error, DataAction &action)
{
    translate(error, action, dberr::MinimumValue, QStringLiteral("Besar Simpanan Minimum Adalah 0"));
    translate(error, action, dberr::RequiredValue, QStringLiteral("Besar Simpanan Tidak Boleh Kosong"));
}

void Tmodul::TpinjamBeforeInsert(Dataset &)
{
    messages::information(QStringLiteral("Silahkan input besar pinjaman dan jaminan"));
    if (Fpinjam)
        Fpinjam->DBEbespin->setFocus();
}

void Tmodul::TpinjamPostError(Dataset &, const DatabaseError &error, DataAction &action)
{
    translate(error, action, dberr::RequiredValue, QStringLiteral("Jaminan Tidak Boleh Kosong"));
}

// Member bookkeeping ---------------------------------------------------------

void Tmodul::openLoans()
{
    // The loans window closes its table; the member's loans move with it.
    if (!Tpinjam->isActive())
        Tpinjam->open();
}

bool Tmodul::findMemberByText(const QString &text, bool next)
{
    return Tanggota1->locateContaining({QStringLiteral("Nama"), QStringLiteral("NPM")}, text.trimmed(), next);
}

bool Tmodul::memberNumberTaken(const QString &number)
{
    return Tanggota1->hasKey({number});
}

bool Tmodul::storeMemberAs(const QString &number)
{
    Table *members = Tanggota1;
    members->takeTypedText();
    if (number == members->fieldByName(QStringLiteral("No_Anggota"))->asString()) {
        members->post();
        return true;
    }
    // Found before anything is stored: a refusal leaves the book untouched.
    if (memberNumberTaken(number))
        return false;
    openLoans();
    Row typed;
    for (const Field *f : members->fields())
        typed.append(f->value());
    try {
        db::Transaction transaction(*m_connection);
        carryNumberOver(number);
        transaction.commit();
        return true;
    } catch (const DatabaseError &error) {
        // Everything was rolled back; the screen follows the stored rows and
        // the member is in edit again with what the clerk typed, unless
        // another desk changed the rows meanwhile: then the clerk sees them
        // as they now are, and nothing typed goes over them.
        showFilesAfterRollback(true);
        if (error.code() != dberr::RowChanged)
            restoreTypedMember(typed);
        throw;
    } catch (...) {
        showFilesAfterRollback(true);
        restoreTypedMember(typed);
        throw;
    }
}

void Tmodul::restoreTypedMember(const Row &typed)
{
    try {
        Table *members = Tanggota1;
        const Field *number = members->fieldByName(QStringLiteral("No_Anggota"));
        // Only while the same member is shown again.
        if (number->value() != typed.value(number->index()))
            return;
        members->edit();
        for (Field *f : members->fields()) {
            if (!f->isCalculated() && f != number && f->value() != typed.value(f->index()))
                f->setValue(typed.value(f->index()));
        }
    } catch (...) {
        // The error that caused the rollback is the one the operator sees.
    }
}

// On a server: the member row is held from here to the commit, so other
// desks' posts for it wait and are then refused. What they stored before is
// read now: it goes along with a renumbering; a deletion, whose question
// named the rows it takes, is refused, and the clerk sees them.
void Tmodul::holdMemberWithDetails(bool refuseNewRows)
{
    Tanggota1->holdCurrentRow();
    for (Table *detail : {Tsimpan1, Tpinjam, Tortu}) {
        const int known = detail->recordCount();
        detail->readAgainKeepingVersions();
        if (refuseNewRows && detail->recordCount() != known)
            throw Table::changedError();
    }
}

void Tmodul::carryNumberOver(const QString &number)
{
    const QString link = QStringLiteral("No_Anggota");
    holdMemberWithDetails(false);
    // Each stored row leaves the member's set; the next one takes its place.
    for (Dataset *detail : std::initializer_list<Dataset *>{Tsimpan1, Tpinjam}) {
        const Dataset::ProgramChange own(*detail);
        for (int n = detail->recordCount(); n > 0; --n) {
            detail->edit();
            detail->fieldByName(link)->setText(number);
            detail->post();
        }
    }
    {
        // Every parents row moves; a member without one gets a row holding
        // just the number (editing an empty detail starts an insertion).
        const Dataset::ProgramChange own(*Tortu);
        int n = Tortu->recordCount();
        do {
            Tortu->edit();
            Tortu->fieldByName(link)->setText(number);
            Tortu->post();
        } while (--n > 0);
    }
    // Last, so that the details above still showed the old number's rows.
    const Dataset::ProgramChange own(*Tanggota1);
    Tanggota1->edit();
    Tanggota1->fieldByName(link)->setText(number);
    Tanggota1->post();
}

void Tmodul::cancelNewMember()
{
    if (Tanggota1->state() != DataState::Insert)
        return;
    // Rows given to a composed number while the member was being added
    // follow the new row; without a number there are none.
    if (!Tanggota1->fieldByName(QStringLiteral("No_Anggota"))->isNull())
        removeMemberDetails(nullptr);
    Tanggota1->cancel();
}

namespace {

Money moneyIn(const Row &row, const Dataset &dataset, const char *field)
{
    const QVariant value = row.value(dataset.fieldByName(QLatin1String(field))->index());
    return value.isNull() ? Money() : value.value<Money>();
}

} // namespace

Tmodul::Holdings Tmodul::currentMemberHoldings()
{
    openLoans();
    Holdings holdings;
    // Read by position: the details' cursors stay where they are.
    holdings.savings = Tsimpan1->recordCount();
    for (int i = 0; i < holdings.savings; ++i) {
        const Row row = DatasetWalk::rowAt(*Tsimpan1, i);
        for (const char *amount : {"S_Wajib", "S_Sukarela", "S_Wisuda"})
            holdings.savingsTotal += moneyIn(row, *Tsimpan1, amount);
    }
    holdings.loans = Tpinjam->recordCount();
    for (int i = 0; i < holdings.loans; ++i)
        holdings.loansTotal += moneyIn(DatasetWalk::rowAt(*Tpinjam, i), *Tpinjam, "TotPinjam");
    return holdings;
}

int Tmodul::oldestTransactionYear()
{
    int oldest = QDate::currentDate().year();
    const QList<std::pair<QString, QString>> dated{{QStringLiteral("Tsimpanan1"), QStringLiteral("Tgl_Simpan")},
                                                   {QStringLiteral("Tpinjaman1"), QStringLiteral("Tgl_Pinjam")}};
    for (const auto &[table, field] : dated) {
        Query query(QStringLiteral("QueryTahun"));
        query.setDatabaseName(QString::fromLatin1(Alias));
        query.addField(FieldDef(QStringLiteral("Tahun"), FieldType::Text, 4));
        // Only date texts of the stored form count; the year is their last four characters.
        query.setSql({QStringLiteral("select min(substr(%1, 7, 4)) as Tahun from %2").arg(field, table),
                      QStringLiteral("where %1 like '__/__/____' and substr(%1, 7, 4) >= '1900'").arg(field)});
        query.open();
        bool ok = false;
        const int year = query.fieldByName(QStringLiteral("Tahun"))->asString().toInt(&ok);
        if (ok && year >= 1900)
            oldest = std::min(oldest, year);
    }
    return oldest;
}

void Tmodul::deleteCurrentMember(const Holdings &named)
{
    removeMemberDetails(&named);
}

void Tmodul::removeMemberDetails(const Holdings *named)
{
    openLoans();
    const std::initializer_list<Dataset *> details{Tsimpan1, Tpinjam, Tortu};
    // Rows still being entered for this member go with it.
    for (Dataset *detail : details)
        detail->cancel();
    try {
        db::Transaction transaction(*m_connection);
        // On a server the details may have been read again while the
        // question was shown: what goes must still be what it named.
        if (named) {
            holdMemberWithDetails(true);
            if (currentMemberHoldings() != *named)
                throw Table::changedError();
        }
        for (Dataset *detail : details) {
            for (int n = detail->recordCount(); n > 0; --n)
                detail->remove();
        }
        if (named)
            Tanggota1->remove();
        transaction.commit();
    } catch (...) {
        showFilesAfterRollback(false);
        throw;
    }
}

// After a rolled-back transaction the datasets still show what was undone:
// pending detail rows are dropped (before the member row moves, which would
// settle them), a pending renumbering of the member is dropped, and every
// cache is read again.
void Tmodul::showFilesAfterRollback(bool dropMemberEdit)
{
    const std::initializer_list<Dataset *> details{Tsimpan1, Tpinjam, Tortu};
    try {
        for (Dataset *detail : details)
            detail->cancel();
        if (dropMemberEdit)
            Tanggota1->cancel();
        if (Tanggota1->isEditing()) {
            // The member row itself did not change in the file; its details did.
            for (Dataset *detail : details) {
                if (detail->isActive())
                    detail->refresh();
            }
        } else {
            // Re-reading the member table makes its details follow afresh.
            Tanggota1->refresh();
        }
    } catch (...) {
        // The error that caused the rollback is the one the operator sees.
    }
}
