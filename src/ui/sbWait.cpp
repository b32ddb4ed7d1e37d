#include "ui/sbWait.h"

#include "app/Usr.h"
#include "env/Error.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>

namespace {
const double kClientW = 7680, kClientH = 480;
const double kPanelX = 60, kPanelY = 60, kPanelW = 7545, kPanelH = 345;
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
    try {
        hide();
        m_loaded = false;
    } catch (const std::exception& e) {
        ErrMsg(QStringLiteral("cEnd"), ErrText(e));
    }
    Usr::bTrBusy = false;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void sbWait::ShowCount(qint64 n)
{
    if (m_lastPaint.isValid() && m_lastPaint.elapsed() < 100)
        return;
    SSPanel1->setText(m_text + QStringLiteral("  ") + QLocale(QLocale::C).toString(n) + QStringLiteral(" ﾌｧｲﾙ"));
    PumpPaint();
}

void sbWait::PumpPaint()
{
    m_lastPaint.start();
    if (isVisible())
        repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void sbWait::ErrMsg(const QString& op, const QString& why)
{
    Usr::Dlg().MsgBox(QStringLiteral("sbWait.") + op + QStringLiteral(" でｴﾗｰが発生しました") + QLatin1Char('\n') +
                      why);
}
