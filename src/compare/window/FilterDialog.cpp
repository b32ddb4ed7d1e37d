#include "compare/window/FilterDialog.h"

#include "compare/engine/WalkFilter.h"
#include "env/Dialogs.h"
#include "env/Error.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FilterDialog::FilterDialog(const QString& exclude, const QString& include, QWidget* parent)
        : QDialog(parent), m_exclude(new QLineEdit(exclude, this)), m_include(new QLineEdit(include, this))
{
    setWindowTitle(QStringLiteral("比較から除くﾌｧｲﾙとﾌｫﾙﾀﾞ"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("除くﾌｧｲﾙとﾌｫﾙﾀﾞ(&E):"), m_exclude);
    form->addRow(QStringLiteral("比較するﾌｧｲﾙ(&I):"), m_include);
    auto* help = new QLabel(QStringLiteral("? 任意の1文字　* 任意の文字列　# 数字1文字　[abc] [a-f] [!abc] 文字の組"
                                           "\n空白かｶﾝﾏで区切る。/ で終わるとﾌｫﾙﾀﾞだけ、途中に / があると相対ﾊﾟｽ。"
                                           "\n比較するﾌｧｲﾙが空ならすべてのﾌｧｲﾙを比較します。"),
                            this);
    auto* preset = new QPushButton(QStringLiteral("よくある不要物を入れる(&P)"), this);
    connect(preset, &QPushButton::clicked, this, [this] { m_exclude->setText(Preset()); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FilterDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(help);
    lay->addWidget(preset, 0, Qt::AlignLeft);
    lay->addWidget(buttons);
    resize(560, sizeHint().height());
}

QString FilterDialog::Exclude() const { return m_exclude->text().trimmed(); }
QString FilterDialog::Include() const { return m_include->text().trimmed(); }

QString FilterDialog::Preset()
{
    return QStringLiteral(
        ".git/ .svn/ .hg/ node_modules/ __pycache__/ build/ Thumbs.db desktop.ini .DS_Store *~ *.tmp");
}

void FilterDialog::accept()
{
    try {
        WalkFilter check({Exclude()}, {Include()});
    } catch (const FcError& e) {
        Usr::Dlg().MsgBox(e.message());
        return;
    }
    QDialog::accept();
}
