#include "ProvisioningFixture.h"

#include "Dialog.h"
#include "MessageTable.h"
#include "PressButton.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

namespace brevane::test {

ProvisioningFixture::ProvisioningFixture(QStringList serverOptions)
    : m_run(std::move(serverOptions))
    , m_platform(std::make_shared<FakePlatform>())
    , m_prompts(std::make_shared<RecordingPrompts>())
{
    setUserInterfaceLanguageOverride(LanguageId::EnglishUnitedStates);
    Platform::setCurrent(m_platform);
    UserPrompts::setCurrent(m_prompts);

    m_platform->programDir = programFolder();
    m_platform->ipv4Address.reset();
    if (!m_run.ready())
        return;
    m_window = std::make_unique<frmDBConnect>(nullptr, m_windowRun);
    m_ready = true;
}

ProvisioningFixture::~ProvisioningFixture()
{
    m_window.reset();
    UserPrompts::setCurrent(nullptr);
    Platform::setCurrent(nullptr);
    setUserInterfaceLanguageOverride(std::nullopt);
}

void ProvisioningFixture::fillServerPage(const QString &password)
{
    auto servers = control<QComboBox>("CmbSQLServer");
    servers->addItem(QStringLiteral("127.0.0.1,%1").arg(server().port()));
    servers->setCurrentIndex(servers->count() - 1);
    field("txtPws")->setText(password);
}

void ProvisioningFixture::pressNext(std::function<void(QWidget *)> chooser)
{
    bool handled = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || handled)
            return;
        handled = true;
        if (chooser)
            chooser(modal);
        else
            modal->close();
    });
    poll.start();
    pressButton(*m_window, "cmdCreateDB");
}

bool ProvisioningFixture::reachRestorePage()
{
    fillServerPage();
    pressNext();
    return onRestorePage();
}

bool ProvisioningFixture::reachRestorePageWith(const QString &backupFile)
{
    // A window that created a database ended the program's event loop, and
    // every modal loop after it would return at once: an application loop
    // started and ended here starts this window's life as a fresh program's.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    // Without the default backup the chooser asks for one.
    QFile::remove(defaultBackup());
    fillServerPage();
    pressNext([&](QWidget *chooser) {
        auto *dialog = qobject_cast<Dialog *>(chooser);
        if (!dialog) {
            chooser->close();
            return;
        }
        m_prompts->queueFileName(backupFile);
        pressButton(*dialog, "cmdPath");
        pressButton(*dialog, "OKButton");
    });
    return onRestorePage();
}

void ProvisioningFixture::chooseFolder(const QString &folder)
{
    m_prompts->queueFileName(folder + QStringLiteral("/ignored.mdf"));
    pressButton(*m_window, "cmdPath");
}

} // namespace brevane::test
