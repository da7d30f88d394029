#include "frmDBConnect.h"

#include "Connection.h"
#include "Failure.h"
#include "LabelFitting.h"
#include "ModCard.h"
#include "Platform.h"
#include "UserPrompts.h"
#include "ui_frmDBConnect.h"

namespace brevane {

frmDBConnect::frmDBConnect(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::frmDBConnect>())
{
    ui->setupUi(this);
    applyWindowFont(this);
    // The restore page lies over the server page and covers it when shown.
    ui->FraRestore->raise();
    ui->FraRestore->setAutoFillBackground(true);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmDBConnect::cmdExit_Click);
    Form_Load();
}

frmDBConnect::~frmDBConnect() = default;

void frmDBConnect::Form_Load()
{
    try {
        SetFormCaptions(this);
        fitLabelsToCaptions(this);
    } catch (const Failure &failure) {
        showMessage(this, failure.numberFirst(), QStringLiteral("From Load"));
        return;
    }
    // From here on a failing step is skipped and the next one runs.
    try {
        if (const auto address = Platform::current().localIPv4Address())
            ui->CmbSQLServer->addItem(*address);
    } catch (...) {
    }
    ui->CmbSQLServer->addItem(QStringLiteral("."));
    ui->CmbSQLServer->setCurrentIndex(0);
    ui->txtPws->setFocus(Qt::OtherFocusReason);
}

void frmDBConnect::cmdExit_Click()
{
    close();
}

} // namespace brevane
