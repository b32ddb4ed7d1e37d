#pragma once
// The find bar over the grid: a text looked for in the folder and file name
// of every shown row regardless of case, the number of rows that hold it,
// and the next and previous of them (F3, Shift+F3) made the current row.
#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class vSpr;

class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(vSpr& grid, QWidget* parent = nullptr);
    // Shows the bar with its text selected, ready to type.
    void Open();
    void Next() { Step(+1); }
    void Previous() { Step(-1); }
    int Matches() const { return int(m_hits.size()); }
    QLineEdit* Edit() const { return m_edit; }
    QLabel* CountLabel() const { return m_count; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Search();
    void Step(int dir);
    vSpr& m_grid;
    QLineEdit* m_edit;
    QLabel* m_count;
    std::vector<int> m_hits; // shown rows, in order
};
