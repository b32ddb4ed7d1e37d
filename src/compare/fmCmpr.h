#pragma once
// The main window.
#include <QMainWindow>

class fmCmpr : public QMainWindow {
    Q_OBJECT
public:
    static fmCmpr& Instance();
    static bool Exists();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    fmCmpr();
};
