#include "ModCard.h"

#include "ControlKind.h"
#include "Failure.h"
#include "MessageTable.h"
#include "NumericText.h"
#include "UserPrompts.h"

#include <QFont>
#include <QGroupBox>
#include <QSet>
#include <QWidget>

namespace brevane {

namespace {

const QSet<QString> &captionedTypes()
{
    static const QSet<QString> types { QStringLiteral("frame"), QStringLiteral("form"),
        QStringLiteral("optionbutton"), QStringLiteral("checkbox"), QStringLiteral("commandbutton"),
        QStringLiteral("label") };
    return types;
}

const QSet<QString> &xpStyleTypes()
{
    static const QSet<QString> types { QStringLiteral("xpcmdbutton"), QStringLiteral("xpradiobutton"),
        QStringLiteral("xpcheckbox") };
    return types;
}

void captionFromTag(QWidget *control)
{
    const QString tag = tagOf(control);
    if (isNumericText(tag))
        setCaption(control, GetMessageText(toInt32(tag)));
}

// The window's controls in its control order: each control, then, for a
// container, the controls inside it.
void collectControls(QWidget *parent, QList<QWidget *> &controls)
{
    const auto children = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow())
            continue;
        controls.append(child);
        const QString type = controlTypeName(child);
        if (type == QStringLiteral("frame") || type == QStringLiteral("widget"))
            collectControls(child, controls);
    }
}

} // namespace

void SetFormCaptions(QWidget *window)
{
    try {
        captionFromTag(window);
        QList<QWidget *> controls;
        collectControls(window, controls);
        for (QWidget *control : std::as_const(controls)) {
            const QString type = controlTypeName(control);
            if (captionedTypes().contains(type)) {
                captionFromTag(control);
            } else if (xpStyleTypes().contains(type)) {
                QFont font = control->font();
                font.setFamily(QStringLiteral("MS Sans Serif"));
                control->setFont(font);
                captionFromTag(control);
            }
        }
    } catch (const Failure &failure) {
        QString title;
        try {
            title = GetMessageText(101);
        } catch (const Failure &) { }
        showMessage(window, failure.numberFirst(), title, MessageButtons::Ok, MessageIcon::None);
    }
}

} // namespace brevane
