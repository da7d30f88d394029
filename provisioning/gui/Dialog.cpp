#include "Dialog.h"

#include "LabelFitting.h"
#include "MessageTable.h"
#include "ModCard.h"
#include "Platform.h"
#include "UserPrompts.h"
#include "ui_Dialog.h"

namespace brevane {

Dialog::Dialog(QWidget *parent, QString backupFile)
    : QDialog(parent)
    , ui(std::make_unique<Ui::Dialog>())
    , m_backupFile(std::move(backupFile))
{
    ui->setupUi(this);
    applyWindowFont(this);
    setWindowFlags(
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    connect(ui->cmdPath, &QPushButton::clicked, this, &Dialog::cmdPath_Click);
    connect(ui->OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
    Form_Load();
}

Dialog::~Dialog() = default;

QString Dialog::chooseBackupFile(QWidget *parent, const QString &backupFile)
{
    Dialog chooser(parent, backupFile);
    chooser.exec();
    return chooser.backupFile();
}

void Dialog::Form_Load()
{
    SetFormCaptions(this);
    fitLabelsToCaptions(this);
}

void Dialog::cmdPath_Click()
{
    FileDialogRequest request;
    request.confirmOverwrite = true;
    request.pathMustExist = true;
    request.fileMustExist = false; // the path is checked after the window has closed
    request.title = GetMessageText(1048);
    request.filter = QStringLiteral("Sql Server Database Bakup file (*.*)");
    request.initialDir = Platform::current().programFolder();
    if (const auto chosen = UserPrompts::current().openFileName(this, request))
        m_lastFileName = *chosen;
    ui->txtNewPath->setText(m_lastFileName);
}

void Dialog::OKButton_Click()
{
    if (!ui->txtNewPath->text().isEmpty())
        m_backupFile = ui->txtNewPath->text();
    accept();
}

void Dialog::CancelButton_Click()
{
    m_backupFile.clear();
    reject();
}

} // namespace brevane
