#include "HostWindow.h"

#include "clsQuilvet.h"

#include <QPlainTextEdit>
#include <QTime>
#include <QVBoxLayout>

HostWindow::HostWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("quilvet-host"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    m_control = new clsQuilvet(central);
    m_log = new QPlainTextEdit(central);
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);
    layout->addWidget(m_control, 0, Qt::AlignLeft);
    layout->addWidget(m_log, 1);
    setCentralWidget(central);
    resize(740, 360);

    connect(m_control, &clsQuilvet::Scroll, this, [this] { log(QStringLiteral("Scroll  ") + periodText()); });
    connect(m_control, &clsQuilvet::Change, this, [this] { log(QStringLiteral("Change  ") + periodText()); });
    connect(m_control, &clsQuilvet::PropertyChanged, this,
            [this](const QString &name) { log(QStringLiteral("PropertyChanged ") + name); });
}

void HostWindow::log(const QString &line)
{
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + line);
}

QString HostWindow::periodText() const
{
    return QStringLiteral("Value=%1 SelStart=%2 SelLength=%3 %4-%5")
        .arg(m_control->value())
        .arg(m_control->selStart())
        .arg(m_control->selLength())
        .arg(m_control->beginTime(), m_control->endTime());
}
