#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class Dialog;
}

namespace brevane {

// The chooser for the template backup file. Its outcome is the backup
// path: the chosen path on OK (the path it was given when none was chosen),
// the empty text on Cancel, and the path it was given when the window is
// closed any other way.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget *parent = nullptr, QString backupFile = {});
    ~Dialog() override;

    // Shows the chooser modally and returns its outcome for the path `backupFile`.
    static QString chooseBackupFile(QWidget *parent, const QString &backupFile);
    QString backupFile() const { return m_backupFile; }

private:
    void Form_Load();
    void cmdPath_Click();
    void OKButton_Click();
    void CancelButton_Click();

    std::unique_ptr<Ui::Dialog> ui;
    // The open dialog keeps the name of the last choice, as a common dialog control does.
    QString m_lastFileName;
    QString m_backupFile;
};

} // namespace brevane
