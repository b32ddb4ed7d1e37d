#pragma once
// How the two copies of a file are compared. The default is the time to the
// minute the grid shows, sizes not looked at; the next two add the size or
// the content for pairs whose times count as the same; the last looks at the
// content alone (equal bytes are the same file whatever the times, other
// bytes are told apart by the full modification time). A tolerance allows
// for the clocks of other file systems (FAT keeps times in 2 s steps; a disk
// that crossed a time zone or a DST change is off by whole hours). Moves
// pair the files found on one side only with those on the other side only
// that hold the same bytes: a file moved or renamed is one row.
#include <QString>
#include <array>

struct CmprRule {
    enum Criterion { Time = 0, TimeSize = 1, Content = 2, ContentOnly = 3 };
    enum Tolerance { None = 0, TwoSeconds = 1, WholeHours = 2 }; // WholeHours includes 2 s
    Criterion criterion = Time;
    Tolerance tolerance = None;
    bool moves = false;
    bool IsDefault() const { return criterion == Time && tolerance == None && !moves; }
    // Whether file digests are of use: contents compared, or moves looked for.
    bool ReadsContents() const { return criterion >= Content || moves; }
    bool operator==(const CmprRule&) const = default;
};

// The criteria and tolerances, described once: the word the run log and
// the command line use, the window's menu entry, and the text the status
// line names a rule by.
struct CriterionInfo {
    CmprRule::Criterion criterion;
    const char16_t* word;  // run log
    const char16_t* shown; // status line; the menu entry adds "で比較"
};
inline constexpr std::array<CriterionInfo, 4> kCriteria = {{
    {CmprRule::Time, u"time", u"更新日時(分まで)"},
    {CmprRule::TimeSize, u"size", u"更新日時とｻｲｽﾞ"},
    {CmprRule::Content, u"content", u"更新日時と内容"},
    {CmprRule::ContentOnly, u"content-only", u"内容だけ"},
}};

struct ToleranceInfo {
    CmprRule::Tolerance tolerance;
    const char16_t* word;  // run log, and --tolerance's value where it has one
    const char16_t* menu;  // the window's menu entry
    const char16_t* shown; // status line, after the criterion; empty for none
};
inline constexpr std::array<ToleranceInfo, 3> kTolerances = {{
    {CmprRule::None, u"0", u"許容差なし", u""},
    {CmprRule::TwoSeconds, u"2s", u"2秒までの違いは同じとみなす", u"許容差 2秒"},
    {CmprRule::WholeHours, u"hours", u"2秒と、ちょうど1･2時間の違いは同じとみなす", u"許容差 2秒と1･2時間"},
}};

// The option of moves: the run log's word, the status line's text and the
// menu entry.
inline constexpr const char16_t* kMovesWord = u"moves";
inline constexpr const char16_t* kMovesShown = u"移動を探す";
inline constexpr const char16_t* kMovesMenu = u"移動･名前の変更を見つける";

// The rule as the status line names it: "更新日時と内容、許容差 2秒、移動を探す".
QString RuleText(const CmprRule& r);

// Whether two modification times count as the same under the tolerance
// alone (the same shown minute is decided elsewhere): within 2 s, or within
// 2 s of a difference of exactly 1 or 2 hours. In seconds, and in
// nanoseconds.
bool WithinTolerance(qint64 t1, qint64 t2, CmprRule::Tolerance tol);
bool WithinToleranceNs(qint64 ns1, qint64 ns2, CmprRule::Tolerance tol);
