#include "ComSupport.h"
#include "HostWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quilvet::com;

// The host program's window, as a new user meets it: the control comes from the
// registry, a drag reports Scroll then Change, and a saved control comes back.
class TestQuilvetHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dragReportsScrollsThenAChangeAndARestartRestoresThePeriod_data();
    void dragReportsScrollsThenAChangeAndARestartRestoresThePeriod();
    void shouldCreateTheControlAfterAnUpgradeReplacedTheLibraryFile();

private:
    HostWindow::Options options(ControlFile::Format format) const;
    static void mouse(QWidget *target, QEvent::Type type, int x, Qt::MouseButtons buttons);

    QTemporaryDir m_folder;
};

void TestQuilvetHost::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qputenv("HALL_COMPONENT_REGISTRY", m_folder.filePath(QStringLiteral("registry")).toLocal8Bit());
}

HostWindow::Options TestQuilvetHost::options(ControlFile::Format format) const
{
    const QString store = format == ControlFile::Format::Stream ? QStringLiteral("store/control.stream")
                                                                : QStringLiteral("store/control.json");
    return { m_folder.filePath(store), QStringLiteral(QUILVET_LIBRARY), format };
}

void TestQuilvetHost::mouse(QWidget *target, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    const QPointF at(x, target->height() / 2);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void TestQuilvetHost::dragReportsScrollsThenAChangeAndARestartRestoresThePeriod_data()
{
    QTest::addColumn<ControlFile::Format>("format");
    // The first row registers the library on its first start.
    QTest::newRow("saved through a property bag") << ControlFile::Format::PropertyBag;
    QTest::newRow("saved through a stream") << ControlFile::Format::Stream;
}

void TestQuilvetHost::dragReportsScrollsThenAChangeAndARestartRestoresThePeriod()
{
    QFETCH(ControlFile::Format, format);
    {
        HostWindow window(options(format));
        window.show();
        QString error;
        QVERIFY2(window.start(&error), qPrintable(error));
        QCOMPARE(window.log().first().contains(QStringLiteral("registering")),
            format == ControlFile::Format::PropertyBag);
        QWidget *control = window.controlWidget();
        QVERIFY(control);
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto *slider = control->findChild<QWidget *>(QStringLiteral("Slider_Time"));
        QVERIFY(slider);
        const int right = slider->width() - 8;
        mouse(slider, QEvent::MouseButtonPress, right, Qt::LeftButton);
        mouse(slider, QEvent::MouseMove, slider->width() * 3 / 4, Qt::LeftButton);
        mouse(slider, QEvent::MouseMove, slider->width() / 2, Qt::LeftButton);
        mouse(slider, QEvent::MouseButtonRelease, slider->width() / 2, Qt::NoButton);

        QStringList events;
        for (const QString &line : window.log()) {
            if (line.startsWith(QStringLiteral("Scroll")) || line.startsWith(QStringLiteral("Change"))) {
                events << line;
            }
        }
        QCOMPARE(events.size(), 3);
        QVERIFY(events.at(0).startsWith(QStringLiteral("Scroll")));
        QVERIFY(events.at(1).startsWith(QStringLiteral("Scroll")));
        QVERIFY(events.at(2).startsWith(QStringLiteral("Change")));
        QVERIFY2(events.at(2).contains(QStringLiteral("SelStart=0")), qPrintable(events.at(2)));
        QVERIFY2(!events.at(2).contains(QStringLiteral("23:59")), qPrintable(events.at(2)));

        auto *saturday = control->findChild<QLineEdit *>(QStringLiteral("txtPrice_Week(5)"));
        saturday->setText(QStringLiteral("40"));
        window.close();
    }
    {
        HostWindow window(options(format));
        QString error;
        QVERIFY2(window.start(&error), qPrintable(error));
        QVERIFY(window.log().join(QLatin1Char('\n')).contains(QStringLiteral("Loaded the properties")));
        QWidget *control = window.controlWidget();
        const int value = control->property("Value").toInt();
        QVERIFY(value > 0 && value < 48);
        QCOMPARE(control->property("SelLength").toInt(), value);
        QCOMPARE(control->property("PriceWeek6").toString(), QStringLiteral("40"));
        QCOMPARE(control->property("PriceWeek8").toString(), QStringLiteral("40"));
        QCOMPARE(control->property("PriceWeek5").toString(), QStringLiteral("0"));
        QVERIFY(control->property("EndTime").toString() != QStringLiteral("23:59"));
    }
}

void TestQuilvetHost::shouldCreateTheControlAfterAnUpgradeReplacedTheLibraryFile()
{
    // An installed library: the versioned file and its SONAME link. The host is
    // registered against the versioned file, as an installer names it.
    const QString lib = m_folder.filePath(QStringLiteral("upgrade/lib/"));
    QVERIFY(QDir().mkpath(lib));
    const QString built = QFileInfo(QStringLiteral(QUILVET_LIBRARY)).canonicalFilePath();
    QVERIFY(QFile::copy(built, lib + QStringLiteral("libQuilvet.so.1.0.0")));
    QVERIFY(QFile::link(QStringLiteral("libQuilvet.so.1.0.0"), lib + QStringLiteral("libQuilvet.so.1")));
    const QByteArray registryBefore = qgetenv("HALL_COMPONENT_REGISTRY");
    qputenv("HALL_COMPONENT_REGISTRY", m_folder.filePath(QStringLiteral("upgrade/registry")).toLocal8Bit());
    QProcess host;
    host.start(QStringLiteral(QUILVET_HOST),
        { QStringLiteral("--register"), lib + QStringLiteral("libQuilvet.so.1.0.0") });
    QVERIFY(host.waitForFinished(60000));
    QVERIFY2(host.exitCode() == 0, host.readAllStandardError().constData());
    QCOMPARE(inprocServerPath(quilvet::CLSID_clsQuilvet), lib + QStringLiteral("libQuilvet.so.1"));

    // The upgrade: a new versioned file, the link moved on, the old file gone.
    QVERIFY(QFile::remove(lib + QStringLiteral("libQuilvet.so.1")));
    QVERIFY(QFile::rename(
        lib + QStringLiteral("libQuilvet.so.1.0.0"), lib + QStringLiteral("libQuilvet.so.1.0.1")));
    QVERIFY(QFile::link(QStringLiteral("libQuilvet.so.1.0.1"), lib + QStringLiteral("libQuilvet.so.1")));
    ComPtr<IDispatch> control;
    const HRESULT created
        = createInstance(quilvet::CLSID_clsQuilvet, nullptr, IID_IDispatch, control.putVoid());
    qputenv("HALL_COMPONENT_REGISTRY", registryBefore);
    QCOMPARE(created, S_OK);
}

QTEST_MAIN(TestQuilvetHost)
#include "TestQuilvetHost.moc"
