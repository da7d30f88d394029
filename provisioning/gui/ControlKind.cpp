#include "ControlKind.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

namespace brevane {

namespace {

QString ownClassName(const QWidget *control)
{
    QString name = QString::fromLatin1(control->metaObject()->className());
    const qsizetype scope = name.lastIndexOf(QStringLiteral("::"));
    if (scope >= 0)
        name = name.mid(scope + 2);
    return name;
}

} // namespace

QString controlTypeName(const QWidget *control)
{
    const QString className = ownClassName(control);
    const QString lowered = className.toLower();
    if (lowered.startsWith(QStringLiteral("xp")))
        return lowered;
    if (control->isWindow())
        return QStringLiteral("form");
    if (qobject_cast<const QGroupBox *>(control))
        return QStringLiteral("frame");
    if (qobject_cast<const QLabel *>(control))
        return QStringLiteral("label");
    if (qobject_cast<const QPushButton *>(control))
        return QStringLiteral("commandbutton");
    if (qobject_cast<const QRadioButton *>(control))
        return QStringLiteral("optionbutton");
    if (qobject_cast<const QCheckBox *>(control))
        return QStringLiteral("checkbox");
    if (lowered.startsWith(QLatin1Char('q')))
        return lowered.mid(1);
    return lowered;
}

QString captionOf(const QWidget *control)
{
    if (control->isWindow())
        return control->windowTitle();
    if (auto box = qobject_cast<const QGroupBox *>(control))
        return box->title();
    if (auto label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    return control->property("Caption").toString();
}

void setCaption(QWidget *control, const QString &caption)
{
    if (control->isWindow())
        control->setWindowTitle(caption);
    else if (auto box = qobject_cast<QGroupBox *>(control))
        box->setTitle(caption);
    else if (auto label = qobject_cast<QLabel *>(control))
        label->setText(caption);
    else if (auto button = qobject_cast<QAbstractButton *>(control))
        button->setText(caption);
    else
        control->setProperty("Caption", caption);
}

QString tagOf(const QWidget *control)
{
    return control->property("Tag").toString();
}

} // namespace brevane
