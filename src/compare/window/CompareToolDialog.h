#pragma once
// The dialog of the external compare command: the command line with %1 and
// %2, a line on how it is written and which program the automatic choice
// (an empty line) uses now. OK checks the command first.
#include <QDialog>

class QLineEdit;

class CompareToolDialog : public QDialog {
    Q_OBJECT
public:
    explicit CompareToolDialog(const QString& cmd, QWidget* parent = nullptr);
    QString Command() const;
    QLineEdit* Edit() const { return m_cmd; }
    void accept() override;

private:
    QLineEdit* m_cmd;
};
