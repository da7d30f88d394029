#include "frmDBConnect.h"

#include "Connection.h"
#include "Failure.h"
#include "LabelFitting.h"
#include "ModCard.h"
#include "Platform.h"
#include "ProgramState.h"
#include "SecretText.h"
#include "TypingLengthLimit.h"
#include "UserPrompts.h"
#include "ui_frmDBConnect.h"

#include <QCloseEvent>
#include <QFocusEvent>

namespace brevane {

using namespace brevane::run;

frmDBConnect::frmDBConnect(QWidget *parent, std::shared_ptr<run::ProvisioningRun> provisioningRun)
    : QWidget(parent)
    , ui(std::make_unique<Ui::frmDBConnect>())
    , m_run(std::move(provisioningRun))
{
    ui->setupUi(this);
    applyWindowFont(this);
    ui->FraRestore->setAutoFillBackground(true);
    // The password shows one "*" for each character, whatever the style's own mask.
    ui->txtPws->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    TypingLengthLimit::install(ui->txtDBName);

    // From the first character of a password on, no other process may read it out of this one.
    connect(ui->txtPws, &QLineEdit::textChanged, this, [](const QString &text) {
        if (!text.isEmpty())
            keepProcessOutOfDumps();
    });
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmDBConnect::cmdExit_Click);
    connect(ui->cmdCreateDB, &QPushButton::clicked, this, &frmDBConnect::cmdCreateDB_Click);
    connect(ui->txtDBName, &QLineEdit::textChanged, this, &frmDBConnect::txtDBName_Change);
    connect(ui->cmdPath, &QPushButton::clicked, this, &frmDBConnect::cmdPath_Click);
    connect(ui->cmdReStore, &QPushButton::clicked, this, &frmDBConnect::cmdReStore_Click);
    ui->txtDBName->installEventFilter(this);
    m_run->setStatementObserver([this](const QString &statement) { m_state.strSqlText = statement; });

    Form_Load();

    // Restacking reorders the window's children, so it follows the captioning,
    // which walks the controls in their layout order.
    // The restore page lies over the server page and covers it when shown.
    ui->FraRestore->raise();
    // The folder button overlaps the end of the folder field; it stays clickable over it.
    ui->cmdPath->raise();
}

// The run may outlive the window: it stops reporting to it.
frmDBConnect::~frmDBConnect()
{
    m_run->setStatementObserver({});
}

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
    } catch (...) { }
    ui->CmbSQLServer->addItem(QStringLiteral("."));
    ui->CmbSQLServer->setCurrentIndex(0);
    ui->txtPws->setFocus(Qt::OtherFocusReason);
}

void frmDBConnect::cmdExit_Click()
{
    close();
}

void frmDBConnect::closeEvent(QCloseEvent *event)
{
    clearPassword();
    QWidget::closeEvent(event);
}

void frmDBConnect::clearPassword()
{
    QString password = ui->txtPws->text();
    wipeSecret(password);
    ui->txtPws->clear();
}

bool frmDBConnect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->txtDBName && event->type() == QEvent::FocusOut) {
        // Only a move of the focus to another control of this window counts
        // as leaving the field; a message box or a menu taking the keyboard
        // for a moment does not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // The check runs once the focus has settled on the next control.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_checkingName)
            QMetaObject::invokeMethod(this, &frmDBConnect::txtDBName_LostFocus, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace brevane
