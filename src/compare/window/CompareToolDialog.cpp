#include "compare/window/CompareToolDialog.h"

#include "env/CompareTool.h"
#include "env/Dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CompareToolDialog::CompareToolDialog(const QString& cmd, QWidget* parent)
        : QDialog(parent), m_cmd(new QLineEdit(cmd, this))
{
    setWindowTitle(QStringLiteral("比較ﾂｰﾙの設定"));
    m_cmd->setPlaceholderText(QStringLiteral("空なら自動で選びます"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ｺﾏﾝﾄﾞ(&C):"), m_cmd);
    const QStringList dirs = SearchPath();
    const CompareTool found = FindCompareTool(dirs);
    const QString now = found.Usable()
                            ? found.name + QStringLiteral(" (") + FindProgram(found.name, dirs) + QLatin1Char(')')
                            : QStringLiteral("見つかりません");
    auto* help = new QLabel(QStringLiteral("%1 と %2 が比較する2つのﾌｧｲﾙのﾊﾟｽになります (例: meld %1 %2)。"
                                           "\n空白を含む語はｼｪﾙと同じく '...' か \"...\" で囲みます。"
                                           "\n空にすると、次のうち PATH で最初に見つかったものを使います:\n") +
                                KnownToolNames().join(QStringLiteral(", ")) + QStringLiteral("\n自動で使うﾂｰﾙ: ") + now,
                            this);
    help->setTextFormat(Qt::PlainText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CompareToolDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CompareToolDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(help);
    lay->addWidget(buttons);
    resize(560, sizeHint().height());
}

QString CompareToolDialog::Command() const { return m_cmd->text().trimmed(); }

void CompareToolDialog::accept()
{
    const QString why = CheckCompareCommand(Command(), SearchPath());
    if (!why.isEmpty()) {
        Usr::Dlg().MsgBox(why);
        m_cmd->setFocus();
        return;
    }
    QDialog::accept();
}
