#include "qtnotices.h"

#include "apptitle.h"
#include "guard.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace linkwell {

namespace {

// The program's texts break lines with CR LF; a plain-text box wants LF.
QString boxText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

int showCentred(QMessageBox& box)
{
    box.setTextFormat(Qt::PlainText);
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    return box.exec();
}

QString askFileName(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog;
    dialog.setAcceptMode(mode);
    // A name typed into the open dialog may be missing; the command reports that itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.filter.isEmpty())
        dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

void QtNotices::beep()
{
    QApplication::beep();
}

void QtNotices::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), boxText(text), QMessageBox::Ok);
    showCentred(box);
}

bool QtNotices::confirm(const QString& question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), boxText(question));
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    showCentred(box);
    return box.clickedButton() == yes;
}

void QtNotices::errorBox(const QString& failureText)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle),
                    boxText(ErrorBoxText(failureText)), QMessageBox::Ok);
    showCentred(box);
}

QString QtNotices::openFileName(const FileDialogRequest& request)
{
    return askFileName(request, QFileDialog::AcceptOpen);
}

QString QtNotices::saveFileName(const FileDialogRequest& request)
{
    return askFileName(request, QFileDialog::AcceptSave);
}

} // namespace linkwell
