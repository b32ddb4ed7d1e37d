#pragma once
// The codes a result row can have, described once: the text stored and
// shown, and which sides hold the file. Counts, display modes, sort keys,
// size cells and the queries of the store are all read from this table.
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

enum class CmprCode : quint8 { Only1, Only2, Same, Newer1, Newer2, Differ };

struct CmprCodeInfo {
    CmprCode code;
    const char16_t* text;
    bool side1, side2; // which sides hold the file
};

// Every code, in the order counts of them are shown.
inline constexpr std::array<CmprCodeInfo, 6> kCmprCodes = {{
    {CmprCode::Only1, u"1-*", true, false},
    {CmprCode::Only2, u"2-*", false, true},
    {CmprCode::Same, u"1=2", true, true},
    {CmprCode::Newer1, u"1>2", true, true},
    {CmprCode::Newer2, u"2>1", true, true},
    // on both sides, the same time (under the tolerance), another size or content
    {CmprCode::Differ, u"1≠2", true, true},
}};

// The code's text; one shared string per code.
const QString& CodeText(CmprCode c);
// The code of a text; none for any other text (a store written by others).
std::optional<CmprCode> CodeOf(QStringView text);
// Whether a row of the code text has a file on side 1 or 2; a text that is
// no code of ours counts as both sides.
bool HasSide(QStringView code, int side);
