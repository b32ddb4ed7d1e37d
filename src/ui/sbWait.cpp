#include "ui/sbWait.h"

#include "app/state/Usr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "ui/Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

namespace {
const double kClientW = 7680, kClientH = 480;
const double kPanelX = 60, kPanelY = 60, kPanelW = 7545, kPanelH = 345;
const double kStopW = 1200; // the stop button, at the panel's right end

bool IsUserInput(QEvent::Type t)
{
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}
} // namespace

sbWait& sbWait::Instance()
{
    static sbWait* w = new sbWait();
    return *w;
}

sbWait::sbWait() : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(Twips::ToPx(kClientW), Twips::ToPx(kClientH));
    SSPanel1 = new QLabel(this);
    SSPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SSPanel1->setAlignment(Qt::AlignCenter);
    SSPanel1->setGeometry(Twips::ToPx(kPanelX), Twips::ToPx(kPanelY), Twips::ToPx(kPanelW), Twips::ToPx(kPanelH));
    SSPanel1->setText(QStringLiteral("しばらくお待ちください"));
    cmStop = new QPushButton(QStringLiteral("中止"), this);
    cmStop->setGeometry(Twips::ToPx(kPanelX + kPanelW - kStopW), Twips::ToPx(kPanelY), Twips::ToPx(kStopW),
                        Twips::ToPx(kPanelH));
    cmStop->hide();
    connect(cmStop, &QPushButton::clicked, this, [this] { Stop(); });
}

void sbWait::AllowStop(std::atomic<bool>* flag)
{
    m_stop = flag;
    cmStop->setVisible(flag != nullptr);
    SSPanel1->setFixedWidth(Twips::ToPx(flag ? kPanelW - kStopW - kPanelX : kPanelW));
}

void sbWait::Stop()
{
    if (m_stop)
        m_stop->store(true);
    SSPanel1->setText(m_text + QStringLiteral("  中止しています"));
}

// While the window is up, user input anywhere is eaten (it would otherwise
// wait in the queue and act after the run); the stop button and Esc stop.
bool sbWait::eventFilter(QObject* watched, QEvent* e)
{
    if (!IsUserInput(e->type()))
        return false;
    if (m_stop && watched == cmStop)
        return false;
    if (m_stop && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
        Stop();
    return true;
}

QString sbWait::DefaultText() { return QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽ問合せ中 お待ちください"); }

QString sbWait::PanelText() const { return SSPanel1->text(); }

void sbWait::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void sbWait::Form_Load()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect g = s->geometry();
    QPointF at = Twips::Centre(Twips::FromPx(g.width()), Twips::FromPx(g.height()), Twips::FromPx(width()),
                               Twips::FromPx(height()));
    move(g.left() + Twips::ToPx(at.x()), g.top() + Twips::ToPx(at.y()));
}

void sbWait::cMsg(QString& sMsg)
{
    if (sMsg.isEmpty())
        sMsg = DefaultText();
    m_text = sMsg;
    SSPanel1->setText(sMsg);
    Usr::bTrBusy = true;
    m_started.start();
    m_contentStarted.invalidate();
    QCoreApplication::instance()->installEventFilter(this);
    try {
        Load();
        show();
        raise();
        PumpPaint();
    } catch (const std::exception& e) {
        ErrMsg(QStringLiteral("cMsg"), ErrText(e));
    }
}

void sbWait::cEnd()
{
    // input that came in since the last repaint is eaten too, not replayed
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
    AllowStop(nullptr);
    try {
        hide();
        m_loaded = false;
    } catch (const std::exception& e) {
        ErrMsg(QStringLiteral("cEnd"), ErrText(e));
    }
    Usr::bTrBusy = false;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void sbWait::ShowCount(qint64 n) { ShowProgress(QLocale(QLocale::C).toString(n) + QStringLiteral(" ﾌｧｲﾙ")); }

void sbWait::ShowContent(qint64 files, qint64 filesTotal, qint64 bytes, qint64 bytesTotal)
{
    if (!m_contentStarted.isValid())
        m_contentStarted.start();
    const QLocale c(QLocale::C);
    const qint64 mb = 1024 * 1024;
    QString t = QStringLiteral("内容 ") + c.toString(files) + QLatin1Char('/') + c.toString(filesTotal) +
                QStringLiteral(" 件 ") + c.toString(bytes / mb) + QLatin1Char('/') + c.toString(bytesTotal / mb) +
                QStringLiteral(" MB");
    const qint64 ms = m_contentStarted.elapsed();
    if (bytes > 0 && bytesTotal > bytes && ms > 1000)
        t += QStringLiteral(" 残り約 ") +
             c.toString(qint64(double(ms) * double(bytesTotal - bytes) / double(bytes)) / 1000 + 1) +
             QStringLiteral(" 秒");
    ShowProgress(t);
}

void sbWait::ShowRows(const QString& what, qint64 rows)
{
    ShowProgress(what + QLatin1Char(' ') + QLocale(QLocale::C).toString(rows) + QStringLiteral(" 件"));
}

void sbWait::ShowFiles(qint64 files, qint64 bytes)
{
    ShowProgress(QLocale(QLocale::C).toString(files) + QStringLiteral(" 件 ") +
                 QLocale(QLocale::C).toString(bytes / (1024 * 1024)) + QStringLiteral(" MB"));
}

void sbWait::ShowProgress(const QString& what)
{
    // input is looked at every time, so Esc is seen at once; the panel is
    // repainted at most every 100 ms
    if ((m_lastPaint.isValid() && m_lastPaint.elapsed() < 100) || (m_stop && m_stop->load())) {
        QCoreApplication::processEvents(); // "中止しています" stays
        return;
    }
    SSPanel1->setText(m_text + QStringLiteral("  ") + what + QStringLiteral("  ") +
                      QString::number(m_started.elapsed() / 1000) + QStringLiteral(" 秒"));
    PumpPaint();
}

void sbWait::PumpPaint()
{
    m_lastPaint.start();
    if (isVisible())
        repaint();
    // all events: input reaches the filter, which eats it or stops the run
    QCoreApplication::processEvents();
}

void sbWait::ErrMsg(const QString& op, const QString& why)
{
    Usr::Dlg().MsgBox(QStringLiteral("sbWait.") + op + QStringLiteral(" でｴﾗｰが発生しました") + QLatin1Char('\n') +
                      why);
}
