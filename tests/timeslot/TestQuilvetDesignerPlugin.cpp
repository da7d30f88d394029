#include "PropertyTable.h"

#include <QPluginLoader>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <quilvet/clsQuilvet.h>

// The Designer plugin, loaded as Designer loads it.
class TestQuilvetDesignerPlugin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widgetBoxOffersClsQuilvetWithItsToolboxImage();
};

void TestQuilvetDesignerPlugin::widgetBoxOffersClsQuilvetWithItsToolboxImage()
{
    // The installed-package test points this at the installed plugin.
    const QString path = qEnvironmentVariableIsSet("QUILVET_DESIGNER_PLUGIN")
        ? qEnvironmentVariable("QUILVET_DESIGNER_PLUGIN")
        : QStringLiteral(QUILVET_DESIGNER_PLUGIN);
    QPluginLoader loader(path);
    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    auto *plugin = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
    QVERIFY(plugin);
    QCOMPARE(plugin->name(), QStringLiteral("clsQuilvet"));
    // The form code includes the public header as an installed host sees it.
    QCOMPARE(plugin->includeFile(), QStringLiteral("quilvet/clsQuilvet.h"));
    QVERIFY(!plugin->isContainer());
    const QString domXml = plugin->domXml();
    QVERIFY(domXml.contains(QStringLiteral("class=\"clsQuilvet\"")));
    // Every property's help string is its tool tip in the property editor.
    for (const quilvet::PropertyInfo &property : quilvet::Properties) {
        const QString tooltip
            = QStringLiteral("<tooltip name=\"%1\">%2</tooltip>")
                  .arg(QLatin1String(property.name), QString::fromUtf16(property.helpString));
        QVERIFY2(domXml.contains(tooltip), property.name);
    }
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
