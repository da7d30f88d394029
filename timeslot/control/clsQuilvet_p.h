#pragma once

#include "PeriodLabel.h"
#include "PropertyTable.h"
#include "TextBox.h"
#include "TimeSlider.h"
#include "clsQuilvet.h"

#include <QFrame>
#include <QLabel>

#include <array>

// Children and handlers of clsQuilvet. The handlers carry the names of the
// notifications they answer, so that each reads as "what happens when".
class clsQuilvetPrivate
{
public:
    explicit clsQuilvetPrivate(clsQuilvet *q);

    void buildLayout();

    // Keeps the period consistent with the thumb and shows it as clock times.
    void UpdateSlotSelection();
    void Slider_Time_Scroll();
    void Slider_Time_Change();

    // A changed price is copied on to every later day kind.
    void txtPrice_Week_Change(qint16 index);
    // Leaving a price box: trimmed, and "0" unless it is a number.
    void txtPrice_Week_Validate(qint16 index);
    // Leaving the minute limit: trimmed, and "-1" unless it is a number.
    void txtMaxMinute_Validate();
    // Every change of the fee: trimmed, and "0" unless it is a number.
    void txtRoomFee_All_Change();

    // A row of the property table; a name written in the code is checked
    // against the table when it compiles.
    struct PropertyRow
    {
        consteval PropertyRow(const char *name)
            : index(quilvet::propertyIndex(name))
        { }
        constexpr explicit PropertyRow(std::size_t row)
            : index(row)
        { }
        std::size_t index;
    };
    // Sends PropertyChanged with the property's name as the table spells it,
    // unless a restore is writing the property.
    void notifyPropertyChanged(PropertyRow property);
    // Puts a restored value through the property's own write, without the
    // change notice and without the check of a checked put.
    void restoreProperty(const quilvet::PropertyInfo &property, const QVariant &value);

    clsQuilvet *const q;
    quilvet::TimeSlider *Slider_Time = nullptr;
    QFrame *pic1 = nullptr;
    std::array<quilvet::TextBox *, clsQuilvet::PriceCount> txtPrice_Week {};
    quilvet::TextBox *txtMaxMinute = nullptr;
    quilvet::TextBox *txtRoomFee_All = nullptr;
    QLabel *lblNo = nullptr;
    quilvet::PeriodLabel *lblTimeBegin = nullptr;
    quilvet::PeriodLabel *lblTimeEnd = nullptr;
    QString toolTipText;
    int quietWrites = 0;
};
