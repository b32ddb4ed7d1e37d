#include "compare/window/WaitProgress.h"

#include "ui/sbWait.h"

WaitProgress::WaitProgress(sbWait& w, bool stoppable, QString readMsg) : m_w(w), m_readMsg(std::move(readMsg))
{
    if (stoppable)
        m_w.AllowStop(&stop);
}

void WaitProgress::Progress(const CmprProgress& p)
{
    switch (p.phase) {
    case CmprPhase::Walk:
    case CmprPhase::Match: m_w.ShowCount(p.files); break;
    case CmprPhase::Content: m_w.ShowContent(p.files, p.filesTotal, p.bytes, p.bytesTotal); break;
    case CmprPhase::Act: m_w.ShowFiles(p.files, p.bytes); break;
    case CmprPhase::Store: m_w.ShowRows(QStringLiteral("保存"), p.rowsWritten); break;
    case CmprPhase::Read:
        if (!m_readMsg.isEmpty()) {
            m_w.cMsg(m_readMsg);
            m_readMsg.clear();
        }
        m_w.ShowRows(QStringLiteral("表示"), p.rowsRead);
        break;
    }
}
