#include "ui/QtDialogs.h"

#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {
QWidget* Owner() { return QApplication::activeWindow(); }
} // namespace

namespace {
QString Shown(const QString& text)
{
    QString shown = ShownName(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}
} // namespace

void QtDialogs::MsgBox(const QString& text)
{
    // a plain box: the title, the text and OK, no icon
    QMessageBox box(QMessageBox::NoIcon, Usr::AppTitle(), Shown(text), QMessageBox::Ok, Owner());
    box.exec();
}

bool QtDialogs::YesNo(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Usr::AppTitle(), Shown(text), QMessageBox::Yes | QMessageBox::No, Owner());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::MsgList(const QString& text, const QString& list)
{
    QMessageBox box(QMessageBox::NoIcon, Usr::AppTitle(), Shown(text), QMessageBox::Ok, Owner());
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPushButton* copy = box.addButton(QStringLiteral("ｺﾋﾟｰ"), QMessageBox::ActionRole);
    // the box stays open after a copy: only OK closes it
    QObject::disconnect(copy, &QAbstractButton::clicked, nullptr, nullptr);
    const QString shownList = ShownName(list);
    QObject::connect(copy, &QAbstractButton::clicked, &box,
                     [shownList] { QGuiApplication::clipboard()->setText(shownList); });
    box.exec();
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& def)
{
    bool ok = false;
    QString s = QInputDialog::getText(Owner(), title, prompt, QLineEdit::Normal, def, &ok);
    return ok ? s : QString();
}

QString QtDialogs::BrowseFolder(const QString& title, const QString& initial)
{
    // Qt's own dialog, so the behaviour is the same on every desktop. With
    // no start folder it lists the top of the file system with nothing
    // selected, and OK only returns a folder the user chose: Qt would
    // otherwise open in the working folder and hand that back.
    QFileDialog d(Owner(), title);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setOption(QFileDialog::ShowDirsOnly);
    d.setFileMode(QFileDialog::Directory);
    const QString start = initial.isEmpty() ? QDir::rootPath() : initial;
    d.setDirectory(start);
    bool chosen = !initial.isEmpty();
    QObject::connect(&d, &QFileDialog::currentChanged, &d, [&](const QString& p) { chosen = chosen || !p.isEmpty(); });
    QObject::connect(&d, &QFileDialog::directoryEntered, &d, [&] { chosen = true; });
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    const QString dir = d.selectedFiles().first();
    if (!chosen && QDir(dir) == QDir(start))
        return QString();
    return StripTrailingSep(QDir::toNativeSeparators(dir));
}

QString QtDialogs::SaveFile(const QString& title, const QString& name, const QString& filters)
{
    QFileDialog d(Owner(), title);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilters(filters.split(QStringLiteral(";;")));
    d.selectFile(name);
    // the suffix of the type chosen, when the name typed has none
    const auto suffix = [&d](const QString& f) {
        const qsizetype p = f.indexOf(QLatin1String("*."));
        d.setDefaultSuffix(p < 0 ? QString() : f.mid(p + 2).section(QLatin1Char(')'), 0, 0));
    };
    suffix(d.selectedNameFilter());
    QObject::connect(&d, &QFileDialog::filterSelected, &d, suffix);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(d.selectedFiles().first());
}

void QtDialogs::ShellExecute(const QString&, const QString& path)
{
    // Built from the path's bytes, so a name that is not UTF-8 still opens.
    QDesktopServices::openUrl(QUrl::fromEncoded("file://" + EncodeName(path).toPercentEncoding("/")));
}
