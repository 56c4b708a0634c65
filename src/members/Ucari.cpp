#include "members/Ucari.h"

#include "data/DM.h"
#include "runtime/forms/look.h"
#include "runtime/forms/messages.h"
#include "runtime/picture.h"
#include "savings/simpanan.h"

#include <QGridLayout>
#include <QHBoxLayout>

TFcari *Fcari = nullptr;

TFcari::TFcari(QWidget *parent) : Form(QStringLiteral("Fcari"), parent)
{
    setWindowTitle(QStringLiteral("Fcari"));
    setWindowIcon(QIcon(picture::loadPixmap(QStringLiteral(":/search.jpg"))));
    setFixedSize(255, 150);
    look::fillWithDesktopColour(this);

    Label1 = look::label(this, QStringLiteral("Label1"), QStringLiteral("No. Anggota"));
    look::setTextColour(Label1, Qt::yellow);
    Label1->setFont(look::bold(Label1->font()));

    EnoA = new QLineEdit(this);
    EnoA->setObjectName(QStringLiteral("EnoA"));
    EnoA->setMaxLength(7);
    Label1->setBuddy(EnoA);

    BitBtn1 = new BitBtn(this, QStringLiteral("BitBtn1"), BitBtn::Kind::Ok);
    BitBtn2 = new BitBtn(this, QStringLiteral("BitBtn2"), BitBtn::Kind::Cancel);
    BitBtn1->onClick = [this] { BitBtn1Click(); };

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(16, 20, 16, 16);
    layout->setVerticalSpacing(18);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(EnoA, 0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons, 1, 0, 1, 2);
    layout->setRowStretch(2, 1);

    centerOnScreen();
}

void TFcari::FormActivate()
{
    EnoA->setFocus();
    EnoA->clear();
}

void TFcari::BitBtn1Click()
{
    // The lookup starts from the first member; moving there settles a member
    // row that is still being added or edited.
    modul->Tanggota1->first();
    const bool found = modul->Tanggota1->findKey({EnoA->text()});
    if (found) {
        if (Fsimpan)
            Fsimpan->BitBtn3->setEnabled(true);
        return;
    }
    messages::showMessage(QStringLiteral("Data Tidak Ditemukan"));
    if (Fsimpan)
        Fsimpan->BitBtn3->setEnabled(false);
}

TFcari::Choice TFcari::chooseMember(const QString &title, bool backOnMiss)
{
    Table *members = modul->Tanggota1;
    members->checkBrowseMode();
    const QVariant before = members->bookmark();
    members->first();
    setWindowTitle(title);
    EnoA->clear();
    const bool confirmed = showModal() == mrOk;
    if (confirmed && members->findKey({EnoA->text()}))
        return Choice::Found;
    if (!confirmed || backOnMiss)
        members->gotoBookmark(before);
    return confirmed ? Choice::NotFound : Choice::Cancelled;
}
