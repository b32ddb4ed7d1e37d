#pragma once
// The grid's rows held compactly: a folder text once per folder, names in
// large blocks that never move, the code as a number, and dates of the
// usual "yy/MM/dd hh:mm" form as five numbers (any other text is kept as
// it is). A row read back is the same as the row put in.
#include "compare/rows/RowFormat.h"

#include <QHash>
#include <QString>
#include <array>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

class RowTable {
public:
    void Clear();
    void Add(const GridRow& r);
    // Frees what only adding needs.
    void Done() { m_folderIndex = {}; }
    size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }
    // A row; its name refers to the table's own text, so it is valid until
    // the table is cleared (a copy that is changed gets its own text).
    GridRow At(size_t i) const;
    qint64 S1(size_t i) const { return m_rows[i].s1; }
    qint64 S2(size_t i) const { return m_rows[i].s2; }
    const QString& Code(size_t i) const { return m_codes[m_rows[i].code]; }
    // The code texts met, and a row's as a number into them.
    const std::vector<QString>& Codes() const { return m_codes; }
    size_t CodeNumber(size_t i) const { return m_rows[i].code; }
    const QString& Folder(size_t i) const { return m_folders[m_rows[i].folder]; }
    QStringView Name(size_t i) const { return {m_rows[i].text, qsizetype(m_rows[i].nameLen)}; }
    // A moved file's place on side 2 (folder, name); none for other rows.
    const std::pair<QString, QString>* Moved(size_t i) const;
    bool HasMoves() const { return !m_moved.empty(); }

private:
    // A date: {yy, MM, dd, hh, mm}; kNone for an empty text, kText for
    // another text, kept after the name.
    using Date = std::array<quint8, 5>;
    static constexpr quint8 kNone = 0xff, kText = 0xfe;
    struct Packed {
        qint64 s1, s2;
        const QChar* text; // the name, then any date kept as text
        quint32 folder;
        quint32 nameLen;
        quint16 code;
        Date d1, d2;
    };
    static Date Pack(const QString& t);
    QString Unpack(const Date& d, const QChar*& text) const;
    const QChar* Store(const GridRow& r, const Date& d1, const Date& d2);
    quint32 FolderOf(const QString& f);
    quint16 CodeOf(const QString& c);

    std::deque<Packed> m_rows;
    std::vector<QString> m_folders, m_codes;
    QHash<QString, quint32> m_folderIndex;
    std::unordered_map<size_t, std::pair<QString, QString>> m_moved; // by row: few rows have one
    std::vector<std::unique_ptr<QChar[]>> m_blocks;
    qsizetype m_room = 0, m_blockSize = 0; // characters left in the last block, and its size
};
