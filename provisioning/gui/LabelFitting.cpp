#include "LabelFitting.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace brevane {

void applyWindowFont(QWidget *window)
{
    QFont font = window->font();
    font.setFamilies(
        { QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("AR PL UMing CN") });
    font.setPointSize(9);
    window->setFont(font);
}

void fitLabelsToCaptions(QWidget *window)
{
    const auto labels = window->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        // A caption that fits keeps its designed box to the pixel; only a
        // wider one grows, and just as far as its text needs.
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QRect box = label->geometry();
        if (needed <= box.width())
            continue;
        const QWidget *buddy = label->buddy();
        if (buddy && buddy->parentWidget() == label->parentWidget() && buddy->x() >= box.right()) {
            box.setLeft(std::max(0, box.right() + 1 - needed));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else {
            box.setWidth(needed);
        }
        label->setGeometry(box);
    }
    // A button grows evenly on both sides, so that it stays centred where it was placed.
    const auto buttons = window->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        // The caption with a little room on either side; the style's own
        // minimum button width is no reason to move a button.
        const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 12;
        QRect box = button->geometry();
        if (needed <= box.width())
            continue;
        const int grow = needed - box.width();
        box.adjust(-grow / 2, 0, grow - grow / 2, 0);
        button->setGeometry(box);
    }
}

} // namespace brevane
