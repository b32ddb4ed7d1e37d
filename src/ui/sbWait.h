#pragma once
// The wait window: a thin bar with a sunken panel that tells the user a
// long operation is running. While it is shown the tree-busy flag is set.
#include <QElapsedTimer>
#include <QWidget>
#include <atomic>

class QLabel;
class QPushButton;

class sbWait : public QWidget {
    Q_OBJECT
public:
    static sbWait& Instance();
    // Loads the window hidden (start-up takes its handle).
    void Load();
    bool IsLoaded() const { return m_loaded; }
    void cMsg(QString& sMsg);
    void cEnd();
    // Shows a running count and the time since cMsg after the current text;
    // repaints at most every 100 ms. User input meanwhile is dropped, never
    // kept for later, except on the stop button.
    void ShowCount(qint64 n);
    // A content compare's pairs and bytes done of their totals, and the
    // time left as the bytes so far suggest ("内容 120/3,400 件
    // 35/1,200 MB 残り約 40 秒").
    void ShowContent(qint64 files, qint64 filesTotal, qint64 bytes, qint64 bytesTotal);
    // Rows done so far by a step named `what` ("保存 1,200 件").
    void ShowRows(const QString& what, qint64 rows);
    // Files done and bytes written so far by a plan ("12 件 340 MB").
    void ShowFiles(qint64 files, qint64 bytes);
    // Shows the button "中止" (Esc too) until cEnd; it sets `flag`.
    void AllowStop(std::atomic<bool>* flag);
    QPushButton* StopButton() const { return cmStop; }
    QString PanelText() const;
    static QString DefaultText();

private:
    void ShowProgress(const QString& what);
    sbWait();
    void Form_Load();
    void ErrMsg(const QString& op, const QString& why);
    void PumpPaint();

    void Stop();
    bool eventFilter(QObject* watched, QEvent* e) override;

    QLabel* SSPanel1 = nullptr;
    QPushButton* cmStop = nullptr;
    std::atomic<bool>* m_stop = nullptr;
    QElapsedTimer m_started;
    QElapsedTimer m_contentStarted; // the first ShowContent since cMsg
    QString m_text;
    bool m_loaded = false;
    QElapsedTimer m_lastPaint;
};
