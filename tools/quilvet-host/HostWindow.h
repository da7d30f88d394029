#pragma once

#include <QMainWindow>

class QPlainTextEdit;
class clsQuilvet;

// Window that holds one clsQuilvet and logs every event and change notice it sends.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HostWindow(QWidget *parent = nullptr);

private:
    void log(const QString &line);
    QString periodText() const;

    clsQuilvet *m_control = nullptr;
    QPlainTextEdit *m_log = nullptr;
};
