#include "Dialog.h"

#include "LabelFitting.h"
#include "ModCard.h"
#include "ui_Dialog.h"

namespace brevane {

Dialog::Dialog(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::Dialog>())
{
    ui->setupUi(this);
    applyWindowFont(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    Form_Load();
}

Dialog::~Dialog() = default;

void Dialog::Form_Load()
{
    SetFormCaptions(this);
    fitLabelsToCaptions(this);
}

} // namespace brevane
