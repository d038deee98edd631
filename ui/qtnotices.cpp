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

PlacedMessageBox::PlacedMessageBox(Icon icon, const QString& caption, const QString& text, QWidget* window)
    : QMessageBox(icon, caption, boxText(text), NoButton), window_(window)
{
    setTextFormat(Qt::PlainText);
}

int PlacedMessageBox::captionWidth() const
{
    // Title bars use a bold face somewhat larger than the text; the icon and
    // the close, minimise and maximise buttons take about four more widths
    // of a title bar's height.
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.2);
    const QFontMetrics metrics(title);
    return metrics.horizontalAdvance(windowTitle()) + 4 * 2 * metrics.height();
}

void PlacedMessageBox::showEvent(QShowEvent* event)
{
    QMessageBox::showEvent(event);
    if (width() < captionWidth())
        setFixedWidth(captionWidth());
    const QScreen* screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void QtNotices::beep()
{
    QApplication::beep();
}

void QtNotices::message(const QString& text)
{
    PlacedMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text, window_);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtNotices::confirm(const QString& question)
{
    PlacedMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), question, window_);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtNotices::errorBox(const QString& failureText)
{
    PlacedMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), ErrorBoxText(failureText), window_);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
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
