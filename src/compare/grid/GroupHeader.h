#pragma once
// A horizontal header of two rows: a column's own header spans both rows,
// except under a group header that spans several columns in the first row.
// The column the rows are sorted by carries ▲ (ascending) or ▼.
#include <QHeaderView>

class GroupHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GroupHeader(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* p, const QRect& rect, int logical) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    void PaintCell(QPainter* p, const QRect& r, const QString& text) const;
    QString Marked(int logical, const QString& text) const;
};
