#include "memberfixture.h"

#include "savings/simpanan.h"
#include "support/amounts.h"

#include <QHeaderView>

using namespace fixture;

namespace {

QStringList gridTitles(DBGrid *grid)
{
    QStringList titles;
    const QAbstractItemModel *model = grid->model();
    for (int c = 0; c < model->columnCount(); ++c)
        titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return titles;
}

QStringList comboItems(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

bool shown(QWidget *w)
{
    return !w->isHidden();
}

const QString Budi = QStringLiteral("1101001");

} // namespace

class TestAnggota : public QObject {
    Q_OBJECT

    std::unique_ptr<fixture::Program> program;

    // Starts an addition and types a whole member.
    void addMember(const Entry &entry = {})
    {
        activate(Fanggota);
        Fanggota->BBTambahData->click();
        typeEntry(entry);
    }

    // Starts editing the member with this number through the search dialog.
    void startEdit(const QString &number)
    {
        activate(Fanggota);
        answerSearch(number);
        Fanggota->BBedit->click();
        activate(Fanggota);
    }

private slots:
    void init()
    {
        program = std::make_unique<fixture::Program>();
    }

    void cleanup()
    {
        program.reset();
    }

    // The search box finds members by name or NPM in the grid's order: typing
    // from the first member, Enter the next one round past the last; the
    // typed text is matched as it stands, wildcards included.
    void findByNameOrNpm()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi Santoso"), member("1101002", "A0011002", "002", "Citra"),
                       member("1101003", "A0011003", "003", "Abud_i"), member("1102004", "C0021004", "004", "Dewi")});
        TFanggota *w = Fanggota;
        activate(w);
        QCOMPARE(w->LabelCari->text(), QString("Cari (nama/NPM)"));
        MessageScript script;
        w->BitBtn4->click();
        type(w->ECari, "BUDI");
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(w->DBGrid1->currentIndex().row(), 0);
        type(w->ECari, "bud");
        QTest::keyClick(w->ECari, Qt::Key_Return);
        QCOMPARE(currentNumber(), QString("1101003"));
        QTest::keyClick(w->ECari, Qt::Key_Return);
        QCOMPARE(currentNumber(), Budi);
        type(w->ECari, "0021004");
        QCOMPARE(currentNumber(), QString("1102004"));
        type(w->ECari, "d_");
        QCOMPARE(currentNumber(), QString("1101003"));
        QCOMPARE(script.count(), 0);

        // Not found: said once as the text stops matching, the member stays.
        type(w->ECari, "zz");
        QCOMPARE(script.texts(), QStringList{"Data Tidak Ditemukan"});
        QCOMPARE(currentNumber(), QString("1101003"));
        QTest::keyClick(w->ECari, Qt::Key_Return);
        QCOMPARE(script.count(), 2);
        type(w->ECari, "abud");
        type(w->ECari, "%");
        QCOMPARE(script.count(), 3);
        QCOMPARE(currentNumber(), QString("1101003"));

        // No search while a member is being added.
        w->BBTambahData->click();
        QVERIFY(!w->ECari->isEnabled());
        w->BitBtn8->click();
        QVERIFY(w->ECari->isEnabled());
    }

    void components()
    {
        TFanggota *w = Fanggota;
        QCOMPARE(w->objectName(), QString("Fanggota"));
        QCOMPARE(w->windowTitle(), QString("Pengolahan Data Anggota"));
        QCOMPARE(w->Label1->text(), QString("DATA ANGGOTA KOPMA UNRAWI"));
        QVERIFY(w->Label1->font().bold());

        const QList<std::pair<QAbstractButton *, QString>> captions{
            {w->BitBtn7, "Save"},          {w->BitBtn8, "Cancel"}, {w->SimpanEdit, "Save"},
            {w->BatalEDIT, "Cancel"},      {w->BitBtn6, "CARI &ANGGOTA"}, {w->BBTambahData, "&TAMBAH DATA"},
            {w->BBedit, "&EDIT"},          {w->BBhapus, "&HAPUS"}, {w->BitBtn5, "&Close"},
            {w->BitBtn1, ""}, {w->BitBtn2, ""}, {w->BitBtn3, ""}, {w->BitBtn4, ""}, {w->SpeedButton1, ""}};
        for (const auto &[button, caption] : captions)
            QCOMPARE(button->text(), caption);
        const QList<std::pair<QWidget *, QString>> hints{
            {w->BitBtn1, "ke awal record"},       {w->BitBtn2, "Ke record sebelumnya"},
            {w->BitBtn3, "Ke Record selanjutnya"}, {w->BitBtn4, "Ke record terakhir"},
            {w->BitBtn7, "Simpan data anggota"},  {w->BitBtn8, "Batal"},
            {w->SimpanEdit, ""},                  {w->BatalEDIT, ""},
            {w->BitBtn6, "Cari data anggota"},    {w->BBTambahData, "Tambah data anggota"},
            {w->BBedit, "Mengubah data anggota"}, {w->BBhapus, "Menghapus data anggota"},
            {w->BitBtn5, "Tutup file Anggota"},   {w->DBGrid2, "Tabel Orang Tua"},
            {w->SpeedButton1, ""}};
        for (const auto &[widget, hint] : hints)
            QCOMPARE(widget->toolTip(), hint);
        const QList<std::pair<QLabel *, QString>> labels{
            {w->Label7, "No. Anggota :"}, {w->Label4, "NPM"},     {w->Label3, "NBK"},
            {w->Label15, "No. Anggota"},  {w->Label5, "Nama"},    {w->Label14, "Tmp/Tgl Lahir"},
            {w->Label13, "*dd/mm/yy*"},   {w->Label10, "Alamat"}, {w->Label12, "Kodepos"},
            {w->Label11, "No. Telp."},    {w->Label6, "Jenis Kelamin "}, {w->Label9, "Gol. Darah"},
            {w->Label8, "Agama"},         {w->Label16, "Fakultas :"}};
        for (const auto &[l, caption] : labels)
            QCOMPARE(l->text(), caption);

        // Roles on the keyboard and in a modal run.
        QVERIFY(w->BitBtn7->isDefaultButton());
        QCOMPARE(w->BitBtn7->modalResult(), int(mrOk));
        QVERIFY(w->BitBtn8->isCancelButton());
        QCOMPARE(w->BitBtn8->modalResult(), int(mrCancel));
        QVERIFY(w->BatalEDIT->isCancelButton());
        QCOMPARE(w->BatalEDIT->modalResult(), int(mrCancel));
        QCOMPARE(w->SimpanEdit->modalResult(), int(mrNone));
        QVERIFY(!w->SimpanEdit->isCancelButton() && !w->SimpanEdit->isDefaultButton());
        QVERIFY(!w->BitBtn7->icon().isNull());
        QVERIFY(!w->BitBtn8->icon().isNull());
        QVERIFY(w->SimpanEdit->icon().isNull());
        QVERIFY(!w->BatalEDIT->icon().isNull());
        QVERIFY(!w->BitBtn6->icon().isNull());

        // Lengths of the inputs.
        QCOMPARE(w->DBEnpm->maxLength(), 8);
        QCOMPARE(w->DBEnbk->maxLength(), 3);
        QCOMPARE(w->DBEkodepos->maxLength(), 5);
        QCOMPARE(w->DBEtelp->maxLength(), 15);
        QCOMPARE(w->DBEnama->maxLength(), 20);
        QCOMPARE(w->EnoA->maxLength(), 7);
        QCOMPARE(w->DBEtgll->text(), QString("//"));
        QCOMPARE(w->DBEtgll->displayText().size(), 8);

        // The grids and the parents navigator.
        QCOMPARE(gridTitles(w->DBGrid1),
                 QStringList({"No_Anggota", "Tgl_Daftar", "Nama", "Fakultas", "NPM", "NBK", "JenisKelamin",
                              "Tempat_Lahir", "Tgl_Lahir", "Gol_Darah", "Agama", "Alamat", "Kodepos", "No_Telp"}));
        QCOMPARE(w->DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(w->DBGrid1->isReadOnlyGrid());
        QCOMPARE(gridTitles(w->DBGrid2),
                 QStringList({"No_Anggota", "Nama_Ortu", "Alamat_Ortu", "Kodepos_Ortu", "Telp_Ortu"}));
        QVERIFY(!w->DBGrid2->isReadOnlyGrid());
        QStringList navigatorButtons;
        QStringList navigatorHints;
        for (QAbstractButton *b : w->DBNavigator2->findChildren<QAbstractButton *>()) {
            if (!b->isHidden()) {
                navigatorButtons << b->objectName();
                navigatorHints << b->toolTip();
            }
        }
        QCOMPARE(navigatorButtons, QStringList({"delete", "edit", "post", "cancel", "refresh"}));
        QCOMPARE(navigatorHints, QStringList({"Hapus data orangtua", "Ubah data orangtua", "Simpan data orangtua",
                                              "Batal menyimpan data orangtua", "Refresh data"}));
        QCOMPARE(comboItems(w->DBCjk), QStringList({"P", "W"}));
        QCOMPARE(comboItems(w->DBCdarah), QStringList({"A", "B", "O", "AB"}));
        QCOMPARE(comboItems(w->DBCagama), QStringList({"Islam ", "Katholik", "Protestan", "Hindu", "Budha"}));
        for (QComboBox *c : {static_cast<QComboBox *>(w->DBCjk), static_cast<QComboBox *>(w->DBCdarah),
                             static_cast<QComboBox *>(w->DBCagama)})
            QVERIFY(c->isEditable());

        // Visibility and enabled state at start.
        QVERIFY(!w->DBNavigator2->isEnabled());
        QVERIFY(!w->DBGrid2->isEnabled());
        QVERIFY(!shown(w->SpeedButton1));
        QVERIFY(w->SpeedButton1->isEnabled());
        QVERIFY(!shown(w->EnoA));
        QVERIFY(!w->EnoA->isEnabled());
        QCOMPARE(w->EnoA->text(), QString("EnoA"));
        // The prefix mirror follows the (empty) current row from the start.
        QCOMPARE(w->Eawal->text(), w->DBEawal->text());
        QVERIFY(!shown(w->Eawal));
        QVERIFY(shown(w->Label15));
        QVERIFY(shown(w->BitBtn7) && !w->BitBtn7->isEnabled());
        QVERIFY(shown(w->BitBtn8) && !w->BitBtn8->isEnabled());
        QVERIFY(!shown(w->SimpanEdit) && !w->SimpanEdit->isEnabled());
        QVERIFY(!shown(w->BatalEDIT) && !w->BatalEDIT->isEnabled());
        for (QWidget *hidden : std::initializer_list<QWidget *>{w->DBEawal, w->DBEnoA, w->DBEtglDaftar})
            QVERIFY(!shown(hidden));
        QVERIFY(!w->DBEawal->isEnabled());
        QVERIFY(!w->DBEnoA->isEnabled());

        // Keyboard order of the member inputs.
        activate(w);
        const QList<QWidget *> order{w->DBEnpm,     w->DBEnbk, w->DBEnama,   w->DBEtmpl,
                                     w->DBEtgll,    w->DBEalamat, w->DBEkodepos, w->DBEtelp,
                                     w->DBCjk,      w->DBCdarah, w->DBCagama};
        w->DBEnpm->setFocus(Qt::TabFocusReason);
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            QVERIFY2(focused == order.at(i) || focused->parentWidget() == order.at(i),
                     qPrintable(QStringLiteral("Tab %1 reached %2").arg(i).arg(focused->objectName())));
        }
    }

    void navigation()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1101002", "A0011002", "002", "Citra")});
        MessageScript script;
        Fanggota->BitBtn4->click();
        QCOMPARE(currentNumber(), QString("1101002"));
        Fanggota->BitBtn2->click();
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(script.count(), 0);
        Fanggota->BitBtn2->click();
        QCOMPARE(script.texts(), QStringList{"Anda sudah di awal data !!"});
        QCOMPARE(script.last().kind, messages::Kind::Plain);
        QCOMPARE(currentNumber(), Budi);
        script.clear();

        Fanggota->BitBtn3->click();
        QCOMPARE(currentNumber(), QString("1101002"));
        QCOMPARE(script.count(), 0);
        Fanggota->BitBtn3->click();
        QCOMPARE(script.texts(), QStringList{"Anda sudah di akhir data !!"});
        QCOMPARE(currentNumber(), QString("1101002"));
        Fanggota->BitBtn1->click();
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(Fanggota->DBText1->text(), Budi);
        QCOMPARE(Fanggota->DBText2->text(), QString("HUKUM"));
    }

    void addWithNumberButton()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        activate(w);
        w->BBTambahData->click();
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        for (QWidget *now : std::initializer_list<QWidget *>{w->SpeedButton1, w->EnoA, w->Label15, w->BitBtn7, w->BitBtn8})
            QVERIFY(shown(now));
        QVERIFY(w->BitBtn7->isEnabled() && w->BitBtn8->isEnabled());
        QVERIFY(w->DBNavigator2->isEnabled());

        // The proposed number grows as the NBK digits are typed.
        type(w->DBEnpm, "B0012345");
        type(w->DBEnbk, "04");
        QCOMPARE(w->Eawal->text(), QString("1203"));
        QCOMPARE(w->EnoA->text(), QString("120304"));
        QTest::keyClicks(w->DBEnbk, "5");
        QCOMPARE(w->EnoA->text(), QString("1203045"));

        Entry entry;
        entry.npm.clear();
        entry.nbk.clear();
        typeEntry(entry);
        // The clock has ticked since the addition began: the new member
        // takes today's date.
        Fmenu->Timer2Timer();
        w->SpeedButton1->click();
        QCOMPARE(script.count(), 0);
        QVERIFY(!w->SpeedButton1->isEnabled());
        QCOMPARE(w->DBEnoA->text(), QString("1203045"));
        // The number is checked, not stored: only Save stores the new row.
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(program->count("Tanggota1"), 0);

        w->BitBtn7->click();
        QCOMPARE(script.count(), 0);
        QVERIFY(!w->BitBtn7->isEnabled() && !w->BitBtn8->isEnabled());
        QCOMPARE(program->rows("SELECT * FROM Tanggota1"),
                 QList<QStringList>({{"1203045", today(), "Sri Rahayu", "B0012345", "045", "Garut", "1983-01-10",
                                      "W", "AB", "Hindu", "Jl. Dipatiukur 35", "40132", "022-2504"}}));
        QCOMPARE(w->DBText1->text(), QString("1203045"));
        QCOMPARE(w->DBText2->text(), QString("EKONOMI-D3"));

        // An NPM whose first character names no faculty gives a 5-character number.
        Entry noFaculty;
        noFaculty.npm = "12345678";
        noFaculty.nbk = "123";
        noFaculty.name = "Tono";
        addMember(noFaculty);
        QCOMPARE(w->EnoA->text(), QString("45123"));
        w->SpeedButton1->click();
        w->BitBtn7->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1 WHERE Nama = 'Tono'"), QStringList{"45123"});
        QCOMPARE(w->DBText2->text(), QString());
    }

    void numberButtonWarnings()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        Entry shortNpm;
        shortNpm.npm = "B001234";
        addMember(shortNpm);
        w->SpeedButton1->click();
        QCOMPARE(script.texts(), QStringList{"NPM harus diisi 8 karakter!!!"});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QVERIFY(!w->SpeedButton1->isEnabled());
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(program->count("Tanggota1"), 0);
        script.clear();

        // Typing in the NBK input makes the button usable again.
        type(w->DBEnpm, "B0012345");
        type(w->DBEnbk, "04");
        QVERIFY(w->SpeedButton1->isEnabled());
        w->SpeedButton1->click();
        QCOMPARE(script.texts(), QStringList{"NBK harus diisi 3 karakter!!!"});
        QVERIFY(!w->SpeedButton1->isEnabled());
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(program->count("Tanggota1"), 0);
        w->BitBtn8->click();
        QCOMPARE(program->count("Tanggota1"), 0);
    }

    void duplicateNumber()
    {
        program->seed({member("1203045", "B0012345", "045", "Budi"), deposit("1203045", 1000)});
        MessageScript script;
        TFanggota *w = Fanggota;
        addMember();
        w->SpeedButton1->click();
        QCOMPARE(script.texts(), QStringList{"Duplikasi No. Anggota !!!"});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        // Nothing was stored and the new member is still being typed.
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1"), QStringList{"Budi"});
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(w->DBEnama->text(), QString("Sri Rahayu"));
        QVERIFY(!w->SpeedButton1->isEnabled());
        QVERIFY(w->BitBtn7->isEnabled() && w->BitBtn8->isEnabled());
        // Save is refused too: the row has no number of its own yet.
        w->BitBtn7->click();
        QCOMPARE(script.last().text, QString("No. Anggota belum dibuat, tekan tombol # dahulu"));
        QCOMPARE(program->count("Tanggota1"), 1);

        // A new NBK and the number button act on the new member only.
        script.clear();
        type(w->DBEnbk, "046");
        w->SpeedButton1->click();
        QCOMPARE(w->DBEnoA->text(), QString("1203046"));
        w->BitBtn7->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->rows("SELECT No_Anggota, NBK, Nama FROM Tanggota1 ORDER BY Nama"),
                 QList<QStringList>({{"1203045", "045", "Budi"}, {"1203046", "046", "Sri Rahayu"}}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{"1203045"});

        // With no addition under way the number button writes nowhere.
        w->BitBtn1->click();
        type(w->DBEnbk, "047");
        w->SpeedButton1->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1 ORDER BY No_Anggota"),
                 QStringList({"1203045", "1203046"}));
        w->BatalEDIT->click();

        // A number composed before the NBK changed is no number for the row.
        addMember();
        type(w->DBEnbk, "048");
        w->SpeedButton1->click();
        type(w->DBEnbk, "049");
        w->BitBtn7->click();
        QCOMPARE(script.texts(), QStringList{"No. Anggota belum dibuat, tekan tombol # dahulu"});
        QCOMPARE(program->count("Tanggota1"), 2);
        w->BitBtn8->click();
        QCOMPARE(program->count("Tanggota1"), 2);
        QVERIFY(!w->BitBtn7->isEnabled() && !w->BitBtn8->isEnabled());
    }

    void memberWithoutNumber()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        // Save (add) without the number button is refused after the
        // completeness check, and nothing is stored.
        addMember();
        w->BitBtn7->click();
        QCOMPARE(script.texts(), QStringList{"No. Anggota belum dibuat, tekan tombol # dahulu"});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(program->count("Tanggota1"), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QVERIFY(w->BitBtn7->isEnabled() && w->BitBtn8->isEnabled());
        Entry incomplete;
        incomplete.religion.clear();
        w->BitBtn8->click();
        addMember(incomplete);
        w->BitBtn7->click();
        QCOMPARE(script.last().text, QString("Identitas anggota belum lengkap!!!"));
        w->BitBtn8->click();
        script.clear();

        // A member stored without a number by an older version blocks no
        // addition, and is edited and given its number.
        program->seed({QStringLiteral("INSERT INTO Tanggota1 (No_Anggota, Nama, NPM, NBK, Tempat_Lahir, Tgl_Lahir, "
                                      "JK, Gol_Darah, Agama, Alamat, Kodepos) VALUES (NULL, 'Tanpa', 'A0011009', "
                                      "'009', 'Garut', '1983-01-10', 'P', 'O', 'Hindu', 'Jl. X', '40111')")});
        addMember();
        w->SpeedButton1->click();
        w->BitBtn7->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1 ORDER BY Nama"), QStringList({"Sri Rahayu", "Tanpa"}));
        w->BitBtn1->click();
        QCOMPARE(w->DBEnama->text(), QString("Tanpa"));
        type(w->DBEalamat, "Jl. Y");
        QVERIFY(w->SimpanEdit->isVisible() && w->SimpanEdit->isEnabled());
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1 WHERE Nama = 'Tanpa'"), QStringList{"1101009"});

        // The table layer still takes an empty number as a key value.
        program->seed({QStringLiteral("UPDATE Tanggota1 SET No_Anggota = NULL WHERE Nama = 'Tanpa'")});
        modul->Tanggota1->append();
        modul->Tanggota1->fieldByName("Nama")->setText("Kedua");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, modul->Tanggota1->post());
        modul->Tanggota1->cancel();
    }

    void maskedEntries()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        // A birth date without its full year is refused, not read as 2008.
        Entry entry;
        entry.birth = "10018";
        addMember(entry);
        QCOMPARE(w->DBEtgll->text(), QString("10/01/8"));
        const QString refused = "\"Tanggal lahir\": \"10/01/8\" belum lengkap";
        QCOMPARE(script.texts(), QStringList{refused});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        w->BitBtn7->click();
        QCOMPARE(script.texts(), QStringList({refused, refused}));
        QCOMPARE(program->count("Tanggota1"), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(w->DBEtgll->text(), QString("10/01/8"));
        // A date that does not exist is refused by its caption and kept
        // for correction.
        script.clear();
        type(w->DBEtgll, "310201");
        w->DBEalamat->setFocus(Qt::TabFocusReason);
        QCOMPARE(script.texts(), QStringList{"\"Tanggal lahir\": \"31/02/01\" bukan tanggal yang sah"});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(w->DBEtgll->text(), QString("31/02/01"));
        // A two-digit year is never read into the future.
        type(w->DBEtgll, "100170");
        w->SpeedButton1->click();
        w->BitBtn7->click();
        QCOMPARE(program->column("SELECT Tgl_Lahir FROM Tanggota1"), QStringList{"1970-01-10"});
        script.clear();

        // The parents grid types the postcode through its mask.
        w->DBNavigator2->button(DBNavigator::Edit)->click();
        QVERIFY(w->DBGrid2->isEnabled());
        DBGrid *grid = w->DBGrid2;
        const QModelIndex postcode = grid->model()->index(0, 3);
        grid->setCurrentIndex(postcode);
        grid->edit(postcode);
        auto *editor = grid->findChild<QLineEdit *>();
        QVERIFY(editor);
        QCOMPARE(editor->inputMask(), QString("00000;_"));
        QTest::keyClicks(editor, "ab401");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(grid->model()->index(0, 3).data().toString(), QString("401"));
        w->DBNavigator2->button(DBNavigator::Post)->click();
        QCOMPARE(script.texts(), QStringList{"\"Kodepos_Ortu\": \"401\" belum lengkap"});
        QCOMPARE(script.last().kind, messages::Kind::Warning);
        QCOMPARE(program->count("Torangtua"), 0);
        QVERIFY(modul->Tortu->isEditing());
        QCOMPARE(grid->model()->index(0, 3).data().toString(), QString("401"));
        // A value that never went through the mask is refused as well.
        modul->Tortu->fieldByName("Kodepos_Ortu")->setText("ab");
        w->DBNavigator2->button(DBNavigator::Post)->click();
        QCOMPARE(script.last().text, QString("\"Kodepos_Ortu\": \"ab\" tidak sesuai format"));
        QCOMPARE(program->count("Torangtua"), 0);
        modul->Tortu->fieldByName("Kodepos_Ortu")->setText("40111");
        w->DBNavigator2->button(DBNavigator::Post)->click();
        QCOMPARE(script.count(), 2);
        QCOMPARE(program->column("SELECT Kodepos_Ortu FROM Torangtua"), QStringList{"40111"});
    }


    void cancelAdd()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi")});
        MessageScript script;
        TFanggota *w = Fanggota;
        const QList<QStringList> before = program->rows("SELECT * FROM Tanggota1");

        // Before and after the number button: the new row was never stored
        // and is dropped.
        for (bool numbered : {false, true}) {
            addMember();
            if (numbered)
                w->SpeedButton1->click();
            QCOMPARE(program->count("Tanggota1"), 1);
            w->BitBtn8->click();
            QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
            QCOMPARE(program->rows("SELECT * FROM Tanggota1"), before);
            QCOMPARE(currentNumber(), Budi);
            QVERIFY(!w->BitBtn7->isEnabled() && !w->BitBtn8->isEnabled());
        }

        // A parents row given to the new number goes with it.
        addMember();
        w->SpeedButton1->click();
        modul->Tortu->insert();
        modul->Tortu->fieldByName("Nama_Ortu")->setText("Ibu Sri");
        modul->Tortu->post();
        QCOMPARE(program->column("SELECT No_Anggota FROM Torangtua"), QStringList{"1203045"});
        w->BitBtn8->click();
        QCOMPARE(program->rows("SELECT * FROM Tanggota1"), before);
        QCOMPARE(program->count("Torangtua"), 0);
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(script.count(), 0);
    }

    void completenessCheck()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        // Each of the ten inputs, left empty, refuses the save.
        const QList<QString Entry::*> required{&Entry::nbk,      &Entry::npm,    &Entry::name,
                                              &Entry::place,    &Entry::address, &Entry::postcode,
                                              &Entry::gender,   &Entry::blood,  &Entry::religion};
        for (QString Entry::*missing : required) {
            Entry entry;
            entry.*missing = QString();
            addMember(entry);
            w->BitBtn7->click();
            QCOMPARE(script.texts(), QStringList{"Identitas anggota belum lengkap!!!"});
            QCOMPARE(script.last().kind, messages::Kind::Warning);
            QVERIFY(w->BitBtn7->isEnabled() && w->BitBtn8->isEnabled());
            QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
            QCOMPARE(program->count("Tanggota1"), 0);
            script.clear();
            w->BitBtn8->click();
        }

        // The birth date shows its separators and counts as filled; the
        // telephone number is not required.
        Entry optional;
        optional.birth.clear();
        optional.phone.clear();
        addMember(optional);
        QCOMPARE(w->DBEtgll->text(), QString("//"));
        w->SpeedButton1->click();
        w->BitBtn7->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->rows("SELECT Nama, Tgl_Lahir, No_Telp FROM Tanggota1"),
                 QList<QStringList>({{"Sri Rahayu", "", ""}}));
    }

    void editAddressOnly()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi")});
        MessageScript script;
        TFanggota *w = Fanggota;
        startEdit(Budi);
        QCOMPARE(script.count(), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        QCOMPARE(Fcari->windowTitle(), QString("Edit Anggota......."));
        for (QWidget *gone : std::initializer_list<QWidget *>{w->SpeedButton1, w->EnoA, w->Label15, w->BitBtn7, w->BitBtn8})
            QVERIFY(!shown(gone));
        QVERIFY(shown(w->SimpanEdit) && w->SimpanEdit->isEnabled());
        QVERIFY(shown(w->BatalEDIT) && w->BatalEDIT->isEnabled());
        QVERIFY(w->DBNavigator2->isEnabled());

        // Keeping its own number is a save like any other: no message, and
        // the registration date stays, whatever the clock shows.
        type(w->DBEalamat, "Jl. Ganesha 10");
        Fmenu->Timer2Timer();
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->rows("SELECT No_Anggota, Alamat, Tgl_Daftar FROM Tanggota1"),
                 QList<QStringList>({{Budi, "Jl. Ganesha 10", "2001-02-03"}}));
        QVERIFY(shown(w->SimpanEdit) && !w->SimpanEdit->isEnabled());
        QVERIFY(shown(w->BatalEDIT) && !w->BatalEDIT->isEnabled());
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
    }

    void editIncompleteAndCancel()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi")});
        MessageScript script;
        TFanggota *w = Fanggota;

        // Cancel (edit) drops the pending change.
        startEdit(Budi);
        type(w->DBEnama, "Bambang");
        w->BatalEDIT->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1"), QStringList{"Budi"});
        QCOMPARE(w->DBEnama->text(), QString("Budi"));
        QVERIFY(!w->SimpanEdit->isEnabled() && !w->BatalEDIT->isEnabled());
        QVERIFY(!w->BitBtn7->isEnabled() && !w->BitBtn8->isEnabled());

        // An emptied input refuses Save (edit) with the error box.
        startEdit(Budi);
        type(w->DBEnama, "");
        QTest::keyClick(w->DBEnama, Qt::Key_Delete);
        QCOMPARE(w->DBEnama->text(), QString());
        w->SimpanEdit->click();
        QCOMPARE(script.texts(), QStringList{"Identitas anggota belum lengkap"});
        QCOMPARE(script.last().kind, messages::Kind::Error);
        QCOMPARE(script.last().title, QString("Error"));
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        // The clerk can still correct or cancel.
        QVERIFY(w->SimpanEdit->isEnabled() && w->BatalEDIT->isEnabled());
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1"), QStringList{"Budi"});
        type(w->DBEnama, "Bambang");
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1"), QStringList{"Bambang"});
        QVERIFY(!w->SimpanEdit->isEnabled() && !w->BatalEDIT->isEnabled());
    }

    void renumberCarriesRows()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1201002", "A0012002", "002", "Citra"),
                       deposit(Budi, 10000), deposit(Budi, 20000), loan(Budi, 500000),
                       parentRow(Budi, "Ayah Budi"), parentRow(Budi, "Ibu Budi"), deposit("1201002", 5000)});
        MessageScript script;
        TFanggota *w = Fanggota;
        startEdit(Budi);
        type(w->DBEnbk, "007");
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 0);

        const QString renumbered = "1101007";
        QCOMPARE(program->rows("SELECT No_Anggota, NBK, Tgl_Daftar FROM Tanggota1 ORDER BY Nama"),
                 QList<QStringList>({{renumbered, "007", "2001-02-03"}, {"1201002", "002", "2001-02-03"}}));
        // Renumbering moves the rows and dates none of them anew.
        QCOMPARE(program->rows("SELECT No_Anggota, Tgl_Simpan FROM Tsimpanan1 ORDER BY No_Simpan"),
                 QList<QStringList>({{renumbered, "01/02/2003"}, {renumbered, "01/02/2003"},
                                     {"1201002", "01/02/2003"}}));
        QCOMPARE(program->rows("SELECT No_Anggota, Tgl_Pinjam FROM Tpinjaman1"),
                 QList<QStringList>({{renumbered, "01/02/2003"}}));
        QCOMPARE(program->rows("SELECT No_Anggota, Nama_Ortu FROM Torangtua ORDER BY Nama_Ortu"),
                 QList<QStringList>({{renumbered, "Ayah Budi"}, {renumbered, "Ibu Budi"}}));
        // The window shows the member under the new number with its rows.
        QCOMPARE(currentNumber(), renumbered);
        QCOMPARE(w->DBText1->text(), renumbered);
        QCOMPARE(modul->Tsimpan1->recordCount(), 2);
        QCOMPARE(modul->Tortu->recordCount(), 2);
        QVERIFY(!w->SimpanEdit->isEnabled() && !w->BatalEDIT->isEnabled());

        // A member without a parents row gets one holding just the number.
        startEdit("1201002");
        type(w->DBEnbk, "009");
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->rows("SELECT * FROM Torangtua WHERE No_Anggota = '1201009'"),
                 QList<QStringList>({{"1201009", "", "", "", ""}}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1 ORDER BY No_Simpan"),
                 QStringList({renumbered, renumbered, "1201009"}));
    }

    void renumberFirstMemberAfterStart()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1201002", "A0012002", "002", "Citra"),
                       deposit(Budi, 10000)});
        program->restart();
        MessageScript script;
        // The member shown at start-up is renumbered from its own prefix.
        startEdit(Budi);
        type(Fanggota->DBEnbk, "007");
        Fanggota->SimpanEdit->click();
        QCOMPARE(script.count(), 0);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1 ORDER BY No_Anggota"),
                 QStringList({"1101007", "1201002"}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{"1101007"});
    }

    void gridClickAfterSettle()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1101002", "A0011002", "002", "Citra"),
                       member("1101003", "A0011003", "003", "Dedi")});
        MessageScript script;
        TFanggota *w = Fanggota;
        DBGrid *grid = w->DBGrid1;
        auto click = [grid](int row) {
            const QRect cell = grid->visualRect(grid->model()->index(row, 2));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        // An unchanged new row stands above Budi; the click on Citra drops it
        // and still makes Citra current.
        activate(w);
        w->BBTambahData->click();
        QCOMPARE(grid->model()->index(2, 2).data().toString(), QString("Citra"));
        click(2);
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(currentNumber(), QString("1101002"));
        w->BitBtn8->click();

        // A new row typed in at Dedi's place is the clerk's to keep: Batal
        // stays on it, Tidak drops it and the click on Budi makes Budi current.
        w->BitBtn4->click();
        w->BBTambahData->click();
        type(w->DBEnama, "Eka");
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("Budi"));
        script.answer(mrCancel);
        click(0);
        QCOMPARE(script.texts(), QStringList{"Data belum disimpan. Simpan sekarang?"});
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(grid->currentIndex().row(), modul->Tanggota1->visibleCurrentIndex());
        QCOMPARE(w->DBEnama->text(), QString("Eka"));
        script.answer(mrNo);
        click(0);
        QCOMPARE(program->count("Tanggota1"), 3);
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(w->DBEnama->text(), QString("Budi"));
        QCOMPARE(script.count(), 2);
    }

    void renumberOntoTakenNumber()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1101002", "A0011002", "002", "Citra"),
                       deposit(Budi, 10000)});
        MessageScript script;
        TFanggota *w = Fanggota;
        startEdit(Budi);
        type(w->DBEnama, "Budi Santoso");
        type(w->DBEnbk, "002");
        w->SimpanEdit->click();
        QCOMPARE(script.texts(), QStringList{"Duplikasi No. Anggota !!!"});
        // Found before anything was stored: the book is as it was, and the
        // edit goes on with what was typed.
        QCOMPARE(program->rows("SELECT No_Anggota, NBK, Nama FROM Tanggota1 ORDER BY No_Anggota"),
                 QList<QStringList>({{Budi, "001", "Budi"}, {"1101002", "002", "Citra"}}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{Budi});
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(w->DBEnama->text(), QString("Budi Santoso"));
        QCOMPARE(w->DBEnbk->text(), QString("002"));
        QVERIFY(w->SimpanEdit->isEnabled() && w->BatalEDIT->isEnabled());

        // Corrected, it saves under the new number.
        type(w->DBEnbk, "003");
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{"1101003"});
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1 WHERE No_Anggota = '1101003'"),
                 QStringList{"Budi Santoso"});
    }

    // Another desk changed the member, or one of its deposits, since this
    // desk read it: the renumbering and the deletion are refused whole, the
    // rows are shown as they now are, and the other desk's change stays.
    void renumberAndDeleteAfterAnotherDesk()
    {
        if (!testserver::wanted())
            QSKIP("Only a server has several desks on one book");
        program->seed({member(Budi, "A0011001", "001", "Budi"), deposit(Budi, 10000)});
        MessageScript script;
        TFanggota *w = Fanggota;
        startEdit(Budi);
        type(w->DBEnbk, "007");
        program->otherDesk(QStringLiteral("UPDATE Tanggota1 SET Alamat = 'Jl. Lain 1', sp_versi = sp_versi + 1"));
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(script.last().kind, messages::Kind::StandardError);
        QVERIFY2(script.last().text.contains("Data telah diubah oleh meja lain."), qPrintable(script.last().text));
        QCOMPARE(program->rows("SELECT No_Anggota, NBK, Alamat FROM Tanggota1"),
                 QList<QStringList>({{Budi, "001", "Jl. Lain 1"}}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{Budi});
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(w->DBEalamat->text(), QString("Jl. Lain 1"));
        QCOMPARE(w->DBEnbk->text(), QString("001"));

        script.clear();
        program->otherDesk(QStringLiteral("UPDATE Tsimpanan1 SET S_Wajib = 200000000, sp_versi = sp_versi + 1"));
        script.answer(mrYes);
        w->BBhapus->click();
        QVERIFY2(script.last().text.contains("Data telah diubah oleh meja lain."), qPrintable(script.last().text));
        QCOMPARE(program->count("Tanggota1"), 1);
        QCOMPARE(program->column("SELECT S_Wajib FROM Tsimpanan1"), QStringList{"200000000"});
        QCOMPARE(currentNumber(), Budi);

        // A deposit the other desk stores while the question is up is shown
        // at once, but the question did not name it: the deletion is refused.
        script.clear();
        script.answer(mrYes, [this] {
            program->otherDesk(QStringLiteral("INSERT INTO Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, "
                                              "S_Wisuda) VALUES ('03/01/2025', '%1', 50000000, 0, 0)").arg(Budi));
            QTRY_COMPARE(modul->Tsimpan1->recordCount(), 2);
        });
        w->BBhapus->click();
        QCOMPARE(script.count(), 2);
        QVERIFY2(script.last().text.contains("Data telah diubah oleh meja lain."), qPrintable(script.last().text));
        QCOMPARE(program->count("Tanggota1"), 1);
        QCOMPARE(program->count("Tsimpanan1"), 2);
        QCOMPARE(currentNumber(), Budi);
    }

    void renumberIsOneTransaction()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), deposit(Budi, 10000), deposit(Budi, 20000),
                       loan(Budi, 500000), parentRow(Budi, "Ayah Budi"),
                       refusingTrigger("Tpinjaman1", "UPDATE", "loan rows are locked")});
        MessageScript script;
        TFanggota *w = Fanggota;
        startEdit(Budi);
        type(w->DBEnama, "Budi Santoso");
        type(w->DBEnbk, "007");
        w->SimpanEdit->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(script.last().kind, messages::Kind::StandardError);
        QVERIFY2(script.last().text.contains("loan rows are locked"), qPrintable(script.last().text));
        // All or nothing, from the lookup's first store on: the member is as
        // it was before the click.
        QCOMPARE(program->rows("SELECT No_Anggota, NBK, Nama FROM Tanggota1"),
                 QList<QStringList>({{Budi, "001", "Budi"}}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList({Budi, Budi}));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tpinjaman1"), QStringList{Budi});
        QCOMPARE(program->column("SELECT No_Anggota FROM Torangtua"), QStringList{Budi});
        // The screen shows the files' truth, and the member is in edit again
        // with what the clerk typed.
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(w->DBEnama->text(), QString("Budi Santoso"));
        QCOMPARE(w->DBEnbk->text(), QString("007"));
        QVERIFY(w->SimpanEdit->isEnabled() && w->BatalEDIT->isEnabled());
        QCOMPARE(modul->Tsimpan1->recordCount(), 2);
        QCOMPARE(modul->Tpinjam->recordCount(), 1);
        QCOMPARE(modul->Tortu->recordCount(), 1);
        QCOMPARE(modul->Tsimpan1->state(), DataState::Browse);
    }

    void deleteMember()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), member("1201002", "A0012002", "002", "Citra"),
                       deposit(Budi, 10000), deposit(Budi, 20000), loan(Budi, 500000), parentRow(Budi, "Ayah Budi"),
                       parentRow(Budi, "Ibu Budi"), deposit("1201002", 5000), parentRow("1201002", "Ayah Citra")});
        MessageScript script;
        TFanggota *w = Fanggota;
        QCOMPARE(currentNumber(), Budi);

        // The question names what goes with the member.
        script.answer(mrNo);
        w->BBhapus->click();
        QCOMPARE(script.texts(), QStringList{"Hapus data dengan No.anggota : 1101001\n"
                                             "Beserta 2 simpanan (" + currency("30000") + ") dan 1 pinjaman ("
                                             + currency("535000") + ")."});
        QCOMPARE(script.last().kind, messages::Kind::InformationYesNo);
        QCOMPARE(program->count("Tanggota1"), 2);
        QCOMPARE(program->count("Tsimpanan1"), 3);
        QCOMPARE(program->count("Tpinjaman1"), 1);
        QCOMPARE(program->count("Torangtua"), 3);
        script.clear();

        script.answer(mrYes);
        w->BBhapus->click();
        QCOMPARE(script.count(), 1);
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1"), QStringList{"1201002"});
        QCOMPARE(program->column("SELECT No_Anggota FROM Tsimpanan1"), QStringList{"1201002"});
        QCOMPARE(program->count("Tpinjaman1"), 0);
        QCOMPARE(program->column("SELECT Nama_Ortu FROM Torangtua"), QStringList{"Ayah Citra"});
        QCOMPARE(currentNumber(), QString("1201002"));
        QCOMPARE(modul->Tsimpan1->recordCount(), 1);
        script.clear();
        script.answer(mrNo);
        w->BBhapus->click();
        QCOMPARE(script.texts(), QStringList{"Hapus data dengan No.anggota : 1201002\nBeserta 1 simpanan ("
                                             + currency("5000") + ")."});
    }

    void deleteIsOneTransaction()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi"), deposit(Budi, 10000), loan(Budi, 500000),
                       parentRow(Budi, "Ayah Budi"),
                       refusingTrigger("Torangtua", "DELETE", "parents rows are kept")});
        MessageScript script;
        script.answer(mrYes);
        Fanggota->BBhapus->click();
        QCOMPARE(script.count(), 2);
        QVERIFY(script.last().text.contains("parents rows are kept"));
        for (const char *table : {"Tanggota1", "Tsimpanan1", "Tpinjaman1", "Torangtua"})
            QCOMPARE(program->count(table), 1);
        QCOMPARE(currentNumber(), Budi);
        QCOMPARE(modul->Tsimpan1->recordCount(), 1);
        QCOMPARE(modul->Tpinjam->recordCount(), 1);
        QCOMPARE(modul->Tortu->recordCount(), 1);
    }

    void registrationDate()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi", "1999-12-31")});
        MessageScript script;
        TFanggota *w = Fanggota;
        // Typing into a shown member starts an edit with its own Save and
        // Cancel; the member keeps the day it registered.
        activate(w);
        type(w->DBEalamat, "Jl. Riau 3");
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        QVERIFY(shown(w->SimpanEdit) && w->SimpanEdit->isEnabled() && !shown(w->BitBtn7));
        Fmenu->Timer2Timer();
        QCOMPARE(w->DBEtglDaftar->text(), Fmenu->Label2->text());
        w->SimpanEdit->click();
        QCOMPARE(program->rows("SELECT Alamat, Tgl_Daftar FROM Tanggota1"),
                 QList<QStringList>({{"Jl. Riau 3", "1999-12-31"}}));
        QCOMPARE(script.count(), 0);
    }

    void parentsAreaAndActivation()
    {
        TFanggota *w = Fanggota;
        w->BBTambahData->click();
        QVERIFY(w->DBNavigator2->isEnabled());
        QVERIFY(!w->DBGrid2->isEnabled());
        w->DBNavigator2->button(DBNavigator::Refresh)->click();
        QVERIFY(w->DBGrid2->isEnabled());
        w->BitBtn8->click();

        // Activation opens the loans table the loans window closes.
        modul->Tpinjam->close();
        activate(w);
        QVERIFY(modul->Tpinjam->isActive());
        // The window keeps its state from one opening to the next.
        w->close();
        QVERIFY(!w->isVisible());
        activate(w);
        QVERIFY(w->DBNavigator2->isEnabled() && w->DBGrid2->isEnabled());
    }

    void keyboard()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        activate(w);
        w->BBTambahData->click();
        w->DBEnpm->setFocus(Qt::TabFocusReason);
        // Enter clicks Save while it can take it ...
        QTest::keyClick(w->DBEnpm, Qt::Key_Return);
        QCOMPARE(script.texts(), QStringList{"Identitas anggota belum lengkap!!!"});
        script.clear();
        // ... and Escape the visible Cancel.
        QTest::keyClick(w->DBEnpm, Qt::Key_Escape);
        QCOMPARE(script.count(), 0);
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QVERIFY(!w->BitBtn8->isEnabled());
    }

    void modalFromMenu()
    {
        MessageScript script;
        TFanggota *w = Fanggota;
        bool worked = false;
        QTimer::singleShot(0, w, [&] {
            activate(w);
            w->BBTambahData->click();
            typeEntry({});
            w->SpeedButton1->click();
            w->BitBtn7->click();
            worked = true;
        });
        QTimer::singleShot(10000, w, [w] { w->close(); });
        Fmenu->Anggota1Click();
        QVERIFY(worked);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->modalResult(), int(mrOk));
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1"), QStringList{"1203045"});

        // A refused save keeps the window open with the row to put right;
        // Cancel then ends the run.
        bool openAfterRefusal = false;
        QTimer::singleShot(0, w, [&] {
            activate(w);
            w->BBTambahData->click();
            w->BitBtn7->click();
            QTimer::singleShot(50, w, [&] {
                openAfterRefusal = w->isVisible() && modul->Tanggota1->state() == DataState::Insert;
                w->BitBtn8->click();
            });
        });
        Fmenu->Anggota1Click();
        QVERIFY(openAfterRefusal);
        QVERIFY(!w->isVisible());
        QCOMPARE(script.texts(), QStringList{"Identitas anggota belum lengkap!!!"});
        QCOMPARE(w->modalResult(), int(mrCancel));
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);

        // Opened modeless, Save leaves the window open.
        activate(w);
        w->BBTambahData->click();
        w->BitBtn8->click();
        QVERIFY(w->isVisible());
    }

    // A changed member row is stored only through Save: another window's
    // settle and closing the window ask first.
    void unsavedMemberIsAskedAbout()
    {
        program->seed({member(Budi, "A0011001", "001", "Budi")});
        MessageScript script;
        TFanggota *w = Fanggota;
        const QString question = "Data belum disimpan. Simpan sekarang?";
        addMember();
        // The savings window's transaction: Batal starts nothing.
        script.answer(mrCancel);
        Fsimpan->BitBtn2->click();
        QCOMPARE(script.texts(), QStringList{question});
        QVERIFY(!Fcari->isVisible());
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        // Ya runs Save with its checks: without a number it is refused and
        // the search does not start either.
        script.answer(mrYes);
        Fsimpan->BitBtn2->click();
        QCOMPARE(script.texts(), QStringList({question, question, "No. Anggota belum dibuat, tekan tombol # dahulu"}));
        QCOMPARE(modul->Tanggota1->state(), DataState::Insert);
        QCOMPARE(program->count("Tanggota1"), 1);
        // Numbered, Ya stores it and the search goes on.
        w->SpeedButton1->click();
        script.clear();
        script.answer(mrYes);
        answerSearch(Budi);
        Fsimpan->BitBtn2->click();
        QCOMPARE(script.texts(), QStringList{question});
        QCOMPARE(program->column("SELECT No_Anggota FROM Tanggota1 ORDER BY No_Anggota"),
                 QStringList({Budi, "1203045"}));
        QCOMPARE(currentNumber(), Budi);
        QVERIFY(!w->BitBtn7->isEnabled());
        Fsimpan->close();

        // Closing the window: Batal keeps it open, Tidak drops the edit.
        script.clear();
        startEdit(Budi);
        type(w->DBEnama, "Bambang");
        script.answer(mrCancel);
        w->BitBtn5->click();
        QVERIFY(w->isVisible());
        QCOMPARE(modul->Tanggota1->state(), DataState::Edit);
        script.answer(mrNo);
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(script.texts(), QStringList({question, question}));
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
        QCOMPARE(program->column("SELECT Nama FROM Tanggota1 WHERE No_Anggota = '1101001'"), QStringList{"Budi"});
        QVERIFY(!w->SimpanEdit->isEnabled());
        // An unchanged edit closes without a word.
        startEdit(Budi);
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(script.count(), 2);
        QCOMPARE(modul->Tanggota1->state(), DataState::Browse);
    }

};

MEMBER_TEST_MAIN(TestAnggota)

#include "tst_anggota.moc"
