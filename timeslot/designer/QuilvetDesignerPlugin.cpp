#include "QuilvetDesignerPlugin.h"

#include "clsQuilvet.h"

#include <QIcon>
#include <QPixmap>

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
    return QStringLiteral("clsQuilvet.h");
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
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"clsQuilvet\" name=\"quilvet\">\n"
                          "  <property name=\"geometry\"><rect><x>0</x><y>0</y>"
                          "<width>698</width><height>100</height></rect></property>\n"
                          " </widget>\n"
                          "</ui>\n");
}
