#pragma once
// The codes a result row can have, described once: the text stored and
// shown, and which sides hold the file. Counts, display modes, sort keys,
// size cells and the queries of the store are all read from this table.
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

enum class CmprCode : quint8 { Only1, Only2, Same, Newer1, Newer2, Differ, Moved };

struct CmprCodeInfo {
    CmprCode code;
    const char16_t* text;
    bool side1, side2; // which sides hold the file
    bool sameBytes;    // the two files hold the same bytes
    bool onlyWhenMet;  // counted in summaries only where a rule can give it
};

// Every code, in the order counts of them are shown.
inline constexpr std::array<CmprCodeInfo, 7> kCmprCodes = {{
    {CmprCode::Only1, u"1-*", true, false, false, false},
    {CmprCode::Only2, u"2-*", false, true, false, false},
    {CmprCode::Same, u"1=2", true, true, false, false},
    {CmprCode::Newer1, u"1>2", true, true, false, false},
    {CmprCode::Newer2, u"2>1", true, true, false, false},
    // on both sides, the same time (under the tolerance), another size or content
    {CmprCode::Differ, u"1≠2", true, true, false, true},
    // the same bytes at another place on each side: a file moved or renamed
    {CmprCode::Moved, u"1↔2", true, true, true, true},
}};

// The code's text; one shared string per code.
const QString& CodeText(CmprCode c);
// The code of a text; none for any other text (a store written by others).
std::optional<CmprCode> CodeOf(QStringView text);
// Whether a row of the code text has a file on side 1 or 2; a text that is
// no code of ours counts as both sides.
bool HasSide(QStringView code, int side);
