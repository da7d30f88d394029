#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmDBConnect;
}

namespace brevane {

namespace db {
class Connection;
}

// The program's main window: the server page (log-on) and, over it, the
// restore page (name, folder, create). Each handler is named after its
// control and event.
class frmDBConnect : public QWidget
{
    Q_OBJECT

public:
    explicit frmDBConnect(QWidget *parent = nullptr);
    ~frmDBConnect() override;

    // The window's single server connection; null while empty.
    db::Connection *connection() const { return conMaster.get(); }

    void Form_Load();
    void cmdExit_Click();

private:
    std::unique_ptr<Ui::frmDBConnect> ui;
    std::unique_ptr<db::Connection> conMaster;
};

} // namespace brevane
