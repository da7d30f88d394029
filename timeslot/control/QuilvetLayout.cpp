#include "QuilvetLayout.h"

#include <QFontDatabase>
#include <QStringList>

#include <cstring>

namespace quilvet::Layout {

namespace {

using enum Kind;
constexpr Parent C = Parent::Control;
constexpr Parent P = Parent::Panel;

// clang-format off
constexpr Child table[] = {
    {"Slider_Time",       Slider,  C,   900,   60, 8685,  330, u"",                  false},
    {"lblNote(12)",       Label,   C,   180,   90,  600,  210, u"00:00",             false},
    {"lblNote(13)",       Label,   C,  9690,  120,  600,  210, u"23:59",             false},
    {"pic1",              Panel,   C,   135,  495, 10185, 915, u"",                  false},
    {"lblNote(2)",        Label,   P,  2385,   90,  540,  180, u"星期一",            false},
    {"lblNote(3)",        Label,   P,  3060,   90,  540,  180, u"星期二",            false},
    {"lblNote(5)",        Label,   P,  3690,   90,  540,  180, u"星期三",            false},
    {"lblNote(6)",        Label,   P,  4320,   90,  540,  180, u"星期四",            false},
    {"lblNote(7)",        Label,   P,  5040,   90,  540,  180, u"星期五",            false},
    {"lblNote(4)",        Label,   P,  5715,   90,  540,  180, u"星期六",            false},
    {"lblNote(8)",        Label,   P,  6390,   90,  540,  180, u"星期天",            false},
    {"lblNote(9)",        Label,   P,  7155,   90,  360,  180, u"节日",              false},
    {"lblNote(0)",        Label,   P,    90,  135,  180,  180, u"第",                false},
    {"lblNo",             Label,   P,   405,  135,  105,  180, u"1",                 true},
    {"lblNote(1)",        Label,   P,   630,  135, 1530,  180, u"时段价格(元/小时)", false},
    {"txtPrice_Week(0)",  TextBox, P,  2340,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(1)",  TextBox, P,  3015,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(2)",  TextBox, P,  3690,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(3)",  TextBox, P,  4365,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(4)",  TextBox, P,  5040,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(5)",  TextBox, P,  5715,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(6)",  TextBox, P,  6390,  405,  555,  330, u"0",                 false},
    {"txtPrice_Week(7)",  TextBox, P,  7065,  405,  555,  330, u"0",                 false},
    {"lblNote(10)",       Label,   P,  7830,  180,  720,  180, u"计时超过",          false},
    {"txtMaxMinute",      TextBox, P,  8595,   90,  555,  330, u"-1",                false},
    {"lblNote(11)",       Label,   P,  9225,  180,  900,  180, u"分钟算包场",        false},
    {"lblNote(15)",       Label,   P,  7830,  540,  720,  180, u"包场费为",          false},
    {"txtRoomFee_All",    TextBox, P,  8595,  450,  555,  330, u"0",                 false},
    {"lblNote(14)",       Label,   P,  9225,  540,  180,  180, u"元",                false},
    {"lblNote(16)",       Label,   P,    90,  510,  720,  180, u"时间段：",          false},
    {"lblTimeBegin",      Label,   P,   870,  510,  525,  180, u"00:00",             true},
    {"lblNote(17)",       Label,   P,  1440,  510,  180,  180, u"－",                false},
    {"lblTimeEnd",        Label,   P,  1680,  510,  525,  180, u"23:59",             true},
};
// clang-format on

} // namespace

QRect Child::pixelRect() const
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

std::span<const Child> children()
{
    return table;
}

const Child *find(const char *name)
{
    for (const Child &child : table) {
        if (std::strcmp(child.name, name) == 0) {
            return &child;
        }
    }
    return nullptr;
}

QSize clientSize()
{
    return QSize(toPixels(10470), toPixels(1500));
}

QFont captionFont()
{
    // Looked up once: the font database is slow to ask, and the faces do not
    // change while a host runs.
    static const QStringList families = [] {
        const QStringList preferred { QStringLiteral("SimSun"), QStringLiteral("宋体"),
            QStringLiteral("NSimSun"), QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
            QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Noto Sans CJK SC") };
        const QStringList installed = QFontDatabase::families();
        QStringList ordered;
        for (const QString &face : preferred) {
            if (installed.contains(face, Qt::CaseInsensitive)) {
                ordered.append(face);
            }
        }
        if (ordered.isEmpty()) {
            ordered.append(preferred.first());
        }
        return ordered;
    }();
    QFont font;
    font.setFamilies(families);
    font.setPointSize(9);
    return font;
}

QFont emphasisedFont()
{
    QFont font = captionFont();
    font.setBold(true);
    return font;
}

QColor emphasisColour()
{
    return QColor(0x00, 0x00, 0xFF);
}

} // namespace quilvet::Layout
