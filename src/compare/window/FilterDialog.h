#pragma once
// The dialog of what a comparison leaves out: the exclusion list, the
// inclusion list for files, a button that fills in the usual noise, and a
// line on the pattern language. OK checks the patterns first.
#include <QDialog>

class QLineEdit;

class FilterDialog : public QDialog {
    Q_OBJECT
public:
    FilterDialog(const QString& exclude, const QString& include, QWidget* parent = nullptr);
    QString Exclude() const;
    QString Include() const;
    // The usual noise: version control, build output, caches, files the
    // desktop leaves behind.
    static QString Preset();
    void accept() override;

private:
    QLineEdit* m_exclude;
    QLineEdit* m_include;
};
