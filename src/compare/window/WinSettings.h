#pragma once
// The window's keys in User.xml, described once: section, key, when it is
// used, and the field it loads into and saves from (its type and default
// are the field's). Load and save both read this table.
#include <QString>

class yIni;

struct WinSettings {
    qint32 left = 0, top = 0, width = 0, height = 0; // twips
    QString root1, path1, root2, path2;
    qint32 paneW = 0, paneH = 0; // the Folder 1 pane, twips
    QString colWidths;           // the grid's column widths, comma-separated
    qint32 disp = 0;             // the display mode
    qint32 criterion = 0, tolerance = 0, moves = 0;
    QString cmd;              // the external compare command; empty: the automatic choice
    QString exclude, include; // the patterns of what a comparison leaves out
};

inline const QString kLayoutSection = QStringLiteral("画面");
inline const QString kRuleSection = QStringLiteral("比較設定");
inline const QString kToolSection = QStringLiteral("比較ﾂｰﾙ");
inline const QString kFilterSection = QStringLiteral("比較ﾌｨﾙﾀ");

// Reads the section's keys into `s`; with `launched` the keys of a start
// from a launch file, otherwise those of a plain start. A number outside
// 32 bits reads as 0. A folder key that is missing or empty keeps the
// folder `s` holds.
void LoadSection(yIni& ini, const QString& section, bool launched, WinSettings& s);
// Writes the section's keys from `s` and puts the section back into the
// text; the file itself is written by the caller.
void SaveSection(yIni& ini, const QString& section, bool launched, const WinSettings& s);
