#pragma once
// Standard output for a stream of rows: text gathered in a buffer and
// written in large pieces. A failed write throws FcError; a reader that
// stopped reading (a pipe into head) throws OutputClosed.
#include <QByteArray>
#include <QString>
#include <cstdio>

struct OutputClosed {};

class Output {
public:
    // With no file, the text is only gathered, for Take.
    explicit Output(std::FILE* f) : m_f(f) {}
    // Text of the rows so far; Flush or Put writes it out when it is big.
    QString& Text() { return m_text; }
    void Put(const QByteArray& bytes);
    // Writes what is gathered once it passes a piece's size.
    void Spill()
    {
        if (m_f && m_text.size() >= kPiece)
            Flush();
    }
    void Flush();
    // The text gathered, as UTF-8, and none left.
    QByteArray Take();

private:
    static constexpr qsizetype kPiece = 1 << 16;
    void Write(const char* p, size_t n);
    std::FILE* m_f;
    QString m_text;
};
