#include "compare/rows/GridColumns.h"

#include "compare/engine/CmprCode.h"

namespace {
constexpr quint32 kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kGrey = 0xFF444444, kDarkRed = 0xFF800000,
                  kPaleYellow = 0xFFFFFFDF, kDarkBlue = 0xFF0000A0;
using K = GridColumn::Kind;
} // namespace

const std::array<GridColumn, kGridCols> kGridColumns = {{
    {"ﾊﾟｽ", "", 29.75, kBlack, kWhite, K::Text, 0, true},
    {"ﾌｧｲﾙ名", "", 19.5, kBlack, kWhite, K::Text, 0, true},
    {"拡張子", "", 7.25, kGrey, kWhite, K::Text, 0, true},
    {"比較", "", 6, kDarkRed, kPaleYellow, K::Text, 0, false},
    {"ﾌｫﾙﾀﾞ1", "ｻｲｽﾞ", 8, kDarkBlue, kWhite, K::Size, 1, false},
    {"ﾌｫﾙﾀﾞ1", "更新日", 10.87, kDarkRed, kPaleYellow, K::Date, 1, false},
    {"ﾌｫﾙﾀﾞ2", "ｻｲｽﾞ", 8.75, kDarkBlue, kWhite, K::Size, 2, false},
    {"ﾌｫﾙﾀﾞ2", "更新日", 12.75, kDarkRed, kPaleYellow, K::Date, 2, false},
}};

std::array<QStringView, kGridCols> RowCells(const GridRow& r, std::array<QString, 2>& sizes, SizeStyle style)
{
    const NameExtView ne = SplitNameView(r.sFL);
    if (style == SizeStyle::Grouped) {
        sizes[0] = SizeText(r.nS1);
        sizes[1] = SizeText(r.nS2);
    } else { // a side has a file unless the code says it is only on the other
        sizes[0] = HasSide(r.sED, 1) ? QString::number(r.nS1) : QString();
        sizes[1] = HasSide(r.sED, 2) ? QString::number(r.nS2) : QString();
    }
    std::array<QStringView, kGridCols> cells;
    cells[ColPh] = r.sPh;
    cells[ColName] = ne.name;
    cells[ColExt] = ne.ext;
    cells[ColCode] = r.sED;
    cells[ColSize1] = sizes[0];
    cells[ColDate1] = r.sU1;
    cells[ColSize2] = sizes[1];
    cells[ColDate2] = r.sU2;
    return cells;
}

QString HeaderText(const GridColumn& c)
{
    QString t = QString::fromUtf8(c.top);
    if (*c.sub)
        t += QLatin1Char(' ') + QString::fromUtf8(c.sub);
    return t;
}
