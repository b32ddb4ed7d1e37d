#pragma once
// The result list as a file: the header line and the rows as shown. CSV is
// UTF-8 with the byte-order mark spreadsheet programs look for, cells as RFC
// 4180 has them; TSV is a line per row with backslash escapes.
#include <QByteArray>
#include <QString>

class ResultModel;

enum class ListFormat { Csv, Tsv };

// The format a file name asks for: TSV for ".tsv" and ".txt", else CSV.
ListFormat FormatOfFile(const QString& path);
QByteArray ListFileBytes(const ResultModel& m, ListFormat f);
