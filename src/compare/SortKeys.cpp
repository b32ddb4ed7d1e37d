#include "compare/SortKeys.h"

#include <algorithm>
#include <numeric>

namespace {
int Digits(QStringView t, int at)
{
    const char16_t a = t[at].unicode(), b = t[at + 1].unicode();
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return -1;
    return (a - u'0') * 10 + (b - u'0');
}

QStringView TextKey(const GridRow& r, int col)
{
    switch (col) {
    case 0: return r.sPh;
    case 1: return SplitNameView(r.sFL).name;
    case 2: return SplitNameView(r.sFL).ext;
    default: return r.sED;
    }
}

// Sizes and dates: -1 where the cell is empty.
qint64 NumberKey(const GridRow& r, int col)
{
    switch (col) {
    case 4: return r.sED == u"2-*" ? -1 : r.nS1;
    case 5: return DateKey(r.sU1);
    case 6: return r.sED == u"1-*" ? -1 : r.nS2;
    default: return DateKey(r.sU2);
    }
}

template <typename Key, typename Empty, typename Less>
std::vector<int> Order(size_t n, const std::vector<Key>& keys, Empty empty, Less less, bool descending)
{
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Key &ka = keys[size_t(a)], &kb = keys[size_t(b)];
        const bool ea = empty(ka), eb = empty(kb);
        if (ea || eb)
            return !ea && eb; // empty cells last either way
        return descending ? less(kb, ka) : less(ka, kb);
    });
    return order;
}
} // namespace

qint64 DateKey(QStringView t)
{
    if (t.size() != 14)
        return -1;
    const int yy = Digits(t, 0), mo = Digits(t, 3), d = Digits(t, 6), h = Digits(t, 9), mi = Digits(t, 12);
    if (yy < 0 || mo < 0 || d < 0 || h < 0 || mi < 0)
        return -1;
    const qint64 year = yy >= 70 ? 1900 + yy : 2000 + yy;
    return (((year * 12 + mo) * 31 + d) * 24 + h) * 60 + mi;
}

std::vector<int> SortedOrder(const std::vector<GridRow>& rows, int col, bool descending)
{
    if (col == 4 || col == 5 || col == 6 || col == 7) {
        std::vector<qint64> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = NumberKey(rows[i], col);
        return Order(
            rows.size(), keys, [](qint64 k) { return k < 0; }, std::less<qint64>(), descending);
    }
    std::vector<QStringView> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i] = TextKey(rows[i], col);
    return Order(
        rows.size(), keys, [](QStringView k) { return k.isEmpty(); },
        [](QStringView a, QStringView b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a.compare(b) < 0;
        },
        descending);
}
