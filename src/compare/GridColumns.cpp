#include "compare/GridColumns.h"

namespace {
constexpr quint32 kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGrey = 0xFF444444, kDarkRed = 0xFF800000,
                  kPaleYellow = 0xFFFFFFDF, kDarkBlue = 0xFF0000A0;
} // namespace

const std::array<GridColumn, kGridCols> kGridColumns = {{
    {"ﾊﾟｽ", "", 29.75, kBlack, kWhite, false, true},
    {"ﾌｧｲﾙ名", "", 19.5, kBlack, kWhite, false, true},
    {"拡張子", "", 7.25, kGrey, kWhite, false, true},
    {"比較", "", 6, kDarkRed, kPaleYellow, false, false},
    {"ﾌｫﾙﾀﾞ1", "ｻｲｽﾞ", 8, kDarkBlue, kWhite, true, false},
    {"ﾌｫﾙﾀﾞ1", "更新日", 10.87, kDarkRed, kPaleYellow, false, false},
    {"ﾌｫﾙﾀﾞ2", "ｻｲｽﾞ", 8.75, kDarkBlue, kWhite, true, false},
    {"ﾌｫﾙﾀﾞ2", "更新日", 12.75, kDarkRed, kPaleYellow, false, false},
}};

std::array<QStringView, kGridCols> RowCells(const GridRow& r, std::array<QString, 2>& sizes, SizeStyle style)
{
    const NameExtView ne = SplitNameView(r.sFL);
    if (style == SizeStyle::Grouped) {
        sizes[0] = SizeText(r.nS1);
        sizes[1] = SizeText(r.nS2);
    } else { // a side has a file unless the code says it is only on the other
        sizes[0] = r.sED == u"2-*" ? QString() : QString::number(r.nS1);
        sizes[1] = r.sED == u"1-*" ? QString() : QString::number(r.nS2);
    }
    return {r.sPh, ne.name, ne.ext, r.sED, sizes[0], r.sU1, sizes[1], r.sU2};
}

QString HeaderText(const GridColumn& c)
{
    QString t = QString::fromUtf8(c.top);
    if (*c.sub)
        t += QLatin1Char(' ') + QString::fromUtf8(c.sub);
    return t;
}
