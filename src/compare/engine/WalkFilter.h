#pragma once
// What a comparison leaves out, in the name-pattern language of the folder
// tree's filter ("?", "*", "#", [abc], [a-f], [!abc], no regard to case,
// lists separated by spaces and/or commas). An exclusion pattern fits a
// file or folder by its name; one that ends in "/" fits folders only; one
// holding "/" elsewhere fits the path from the compared folder ("*" there
// runs across "/" too). An excluded folder is never opened. An inclusion
// list, when not empty, keeps only the files that fit it; folders are
// still walked.
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class WalkFilter {
public:
    WalkFilter() = default;
    // From pattern lists as typed (each may hold several patterns), and
    // exclusion patterns taken whole (a line of a file each). Throws
    // FcError(InvalidArgument) naming a pattern whose "[" nothing closes.
    WalkFilter(const QStringList& exclude, const QStringList& include, const QStringList& excludeWhole = {});
    bool Empty() const { return m_exclude.empty() && m_excludeFolders.empty() && m_include.empty(); }
    // A folder or file by the path of the folder holding it (from the
    // compared folder, empty for that) and its name, as the system gives
    // their bytes.
    bool SkipsFolder(std::string_view folder, std::string_view name) const;
    bool SkipsFile(std::string_view folder, std::string_view name) const;
    // The lists as given, one pattern after another: the run record's text.
    QString ExcludeText() const { return m_excludeText; }
    QString IncludeText() const { return m_includeText; }

private:
    struct Pattern {
        QString text;     // lower-cased, without a closing "/"
        bool path;        // fits the relative path
        std::string tail; // what a fitting name ends with (UTF-8)
        bool wholeTail;   // ... or is, where the pattern ends in a literal folder and name
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    // Exact names and "*.ext" endings are looked up at once; the rest are
    // matched one by one.
    struct Set {
        std::unordered_set<std::string, Hash, std::equal_to<>> names, endings;
        std::vector<Pattern> others;
        bool Fits(std::string_view folder, std::string_view name) const;
        bool empty() const { return names.empty() && endings.empty() && others.empty(); }
    };
    static void Add(Set& s, const QString& pattern, bool forFolders);

    Set m_exclude, m_excludeFolders, m_include;
    QString m_excludeText, m_includeText;
};
