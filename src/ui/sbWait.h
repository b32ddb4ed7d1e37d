#pragma once
// The wait window: a thin bar with a sunken panel that tells the user a
// long operation is running. While it is shown the tree-busy flag is set.
#include <QElapsedTimer>
#include <QWidget>

class QLabel;

class sbWait : public QWidget {
    Q_OBJECT
public:
    static sbWait& Instance();
    // Loads the window hidden (start-up takes its handle).
    void Load();
    bool IsLoaded() const { return m_loaded; }
    void cMsg(QString& sMsg);
    void cEnd();
    // Shows a running count after the current text; repaints at most every
    // 100 ms and processes no user input.
    void ShowCount(qint64 n);
    QString PanelText() const;
    static QString DefaultText();

private:
    sbWait();
    void Form_Load();
    void ErrMsg(const QString& op, const QString& why);
    void PumpPaint();

    QLabel* SSPanel1 = nullptr;
    QString m_text;
    bool m_loaded = false;
    QElapsedTimer m_lastPaint;
};
