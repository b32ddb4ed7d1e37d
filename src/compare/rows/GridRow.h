#pragma once
// A result row as the grid, the clipboard and the CLI show it: the stored
// texts and sizes.
#include <QString>

struct GridRow {
    QString sPh, sFL, sED, sU1, sU2;
    qint64 nS1 = 0, nS2 = 0;
    QString sPh2 = {}, sFL2 = {}; // a moved file's place on side 2; empty for other rows
    bool Moved() const { return !sFL2.isEmpty(); }
};
// A moved file's place on side 2 as one path ("folder/name"); empty for
// other rows.
QString MovedPlace(const GridRow& r);

// The file name split at its last "." into name and extension.
struct NameExt {
    QString name, ext;
};
NameExt SplitName(const QString& sFL);
struct NameExtView {
    QStringView name, ext;
};
NameExtView SplitNameView(QStringView sFL);
// Empty for 0; otherwise the exact byte count grouped by thousands.
QString SizeText(qint64 bytes);
// How the two size cells are written: grouped by thousands and empty for 0,
// as the grid shows them; or the plain byte count, empty only for the side
// that has no file.
enum class SizeStyle { Grouped, Bytes };
