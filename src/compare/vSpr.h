#pragma once
// The result grid: a table view over ResultModel with the two header rows
// and column widths set and read in character units of the grid's font.
#include <QTableView>
#include <array>

class ResultModel;

class vSpr : public QTableView {
    Q_OBJECT
public:
    explicit vSpr(QWidget* parent = nullptr);
    ResultModel& Model() const { return *m_model; }

    // Width of column 1..8 in character units.
    double ColWidth(int col) const;
    void SetColWidth(int col, double units);
    static const std::array<double, 8>& DesignWidths();

private:
    int UnitsToPx(double units) const;
    ResultModel* m_model;
    std::array<double, 8> m_units{};
};
