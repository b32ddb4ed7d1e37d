#include "ui/Guard.h"

#include "env/Dialogs.h"
#include "env/Error.h"

namespace Usr {
void Guard(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        Dlg().MsgBox(ErrText(e));
    } catch (...) {
        Dlg().MsgBox(QStringLiteral("予期しないｴﾗｰが発生しました"));
    }
}
} // namespace Usr
