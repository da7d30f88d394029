#include "QuilvetDesignerPlugin.h"

#include "PropertyTable.h"

#include <QIcon>
#include <QPixmap>
#include <quilvet/clsQuilvet.h>

QuilvetDesignerPlugin::QuilvetDesignerPlugin(QObject *parent)
    : QObject(parent)
{ }

QString QuilvetDesignerPlugin::name() const
{
    return QStringLiteral("clsQuilvet");
}

QString QuilvetDesignerPlugin::group() const
{
    return QStringLiteral("Quilvet");
}

QString QuilvetDesignerPlugin::toolTip() const
{
    return QStringLiteral("Quilvet");
}

QString QuilvetDesignerPlugin::whatsThis() const
{
    return QStringLiteral("Time-slot pricing control: one period of the day and its prices.");
}

QString QuilvetDesignerPlugin::includeFile() const
{
    return QStringLiteral("quilvet/clsQuilvet.h");
}

QIcon QuilvetDesignerPlugin::icon() const
{
    // Resource 30000 of the Quilvet library, the same image its registration carries.
    return QIcon(QPixmap(QStringLiteral(":/quilvet/30000.bmp")));
}

bool QuilvetDesignerPlugin::isContainer() const
{
    return false;
}

QWidget *QuilvetDesignerPlugin::createWidget(QWidget *parent)
{
    auto *control = new clsQuilvet(parent);
    control->InitProperties();
    return control;
}

bool QuilvetDesignerPlugin::isInitialized() const
{
    return m_initialized;
}

void QuilvetDesignerPlugin::initialize(QDesignerFormEditorInterface *)
{
    m_initialized = true;
}

QString QuilvetDesignerPlugin::domXml() const
{
    // Each property's help string becomes its tool tip in the property editor;
    // text properties are edited on one line.
    QString propertyNotes;
    for (const quilvet::PropertyInfo &property : quilvet::Properties) {
        const QString name = QString::fromLatin1(property.name);
        propertyNotes += QStringLiteral("   <tooltip name=\"%1\">%2</tooltip>\n")
                             .arg(name, QString::fromUtf16(property.helpString).toHtmlEscaped());
        if (property.type == quilvet::PropertyType::Text) {
            propertyNotes
                += QStringLiteral("   <stringpropertyspecification name=\"%1\" type=\"singleline\"/>\n")
                       .arg(name);
        }
    }
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"clsQuilvet\" name=\"quilvet\">\n"
                          "  <property name=\"geometry\"><rect><x>0</x><y>0</y>"
                          "<width>698</width><height>100</height></rect></property>\n"
                          " </widget>\n"
                          " <customwidgets>\n"
                          "  <customwidget>\n"
                          "   <class>clsQuilvet</class>\n"
                          "   <propertyspecifications>\n"
                          "%1"
                          "   </propertyspecifications>\n"
                          "  </customwidget>\n"
                          " </customwidgets>\n"
                          "</ui>\n")
        .arg(propertyNotes);
}
