#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class Dialog;
}

namespace brevane {

// The chooser for the template backup file. Its outcome is left in
// strBackupFile: the chosen path on OK (unchanged when none was chosen),
// the empty text on Cancel, and unchanged when the window is closed any
// other way.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

    void Form_Load();
    void cmdPath_Click();
    void OKButton_Click();
    void CancelButton_Click();

private:
    std::unique_ptr<Ui::Dialog> ui;
    // The open dialog keeps the name of the last choice, as a common dialog control does.
    QString m_lastFileName;
};

} // namespace brevane
