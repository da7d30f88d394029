#include "clsQuilvet.h"

#include <QPluginLoader>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

// The Designer plugin, loaded as Designer loads it.
class TestQuilvetDesignerPlugin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widgetBoxOffersClsQuilvetWithItsToolboxImage();
};

void TestQuilvetDesignerPlugin::widgetBoxOffersClsQuilvetWithItsToolboxImage()
{
    QPluginLoader loader(QStringLiteral(QUILVET_DESIGNER_PLUGIN));
    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    auto *plugin = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
    QVERIFY(plugin);
    QCOMPARE(plugin->name(), QStringLiteral("clsQuilvet"));
    QCOMPARE(plugin->includeFile(), QStringLiteral("clsQuilvet.h"));
    QVERIFY(!plugin->isContainer());
    QVERIFY(plugin->domXml().contains(QStringLiteral("class=\"clsQuilvet\"")));
    const QList<QSize> sizes = plugin->icon().availableSizes();
    QCOMPARE(sizes, QList<QSize>({ QSize(16, 15) }));

    QWidget parent;
    QWidget *widget = plugin->createWidget(&parent);
    auto *control = qobject_cast<clsQuilvet *>(widget);
    QVERIFY(control);
    QCOMPARE(control->size(), QSize(698, 100));
    QCOMPARE(control->property("Max").toInt(), 48);
}

QTEST_MAIN(TestQuilvetDesignerPlugin)
#include "TestQuilvetDesignerPlugin.moc"
