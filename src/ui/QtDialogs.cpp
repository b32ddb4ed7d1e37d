#include "ui/QtDialogs.h"

#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
QWidget* Owner() { return QApplication::activeWindow(); }
} // namespace

void QtDialogs::MsgBox(const QString& text)
{
    QString shown = ShownName(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox::information(Owner(), Usr::AppTitle(), shown, QMessageBox::Ok);
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& def)
{
    bool ok = false;
    QString s = QInputDialog::getText(Owner(), title, prompt, QLineEdit::Normal, def, &ok);
    return ok ? s : QString();
}

QString QtDialogs::BrowseFolder(const QString& title, const QString& initial)
{
    // Without a start folder Qt would open in the working folder, which the
    // user never chose; the home folder is one they know.
    const QString start = initial.isEmpty() ? QDir::homePath() : initial;
    QString dir = QFileDialog::getExistingDirectory(Owner(), title, start, QFileDialog::ShowDirsOnly);
    return dir.isEmpty() ? dir : StripTrailingSep(QDir::toNativeSeparators(dir));
}

void QtDialogs::ShellExecute(const QString&, const QString& path)
{
    // Built from the path's bytes, so a name that is not UTF-8 still opens.
    QDesktopServices::openUrl(QUrl::fromEncoded("file://" + EncodeName(path).toPercentEncoding("/")));
}
