#include "newentrydialog.h"

#include "phone/notices.h"
#include "ui/builtinimages.h"
#include "ui/buttonkeys.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/textfit.h"
#include "store/limits.h"
#include "ui/uifonts.h"
#include "ui_newentrydialog.h"

#include <QIcon>
#include <QKeyEvent>

using namespace linkwell;

NewEntryDialog::NewEntryDialog(Notices& notices, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::NewEntryDialog>()), notices_(notices)
{
    installFontSubstitutes();
    ui_->setupUi(this);
    const QStringList chars = countTexts(limits::MaxTypedChars);
    fitTexts(this, {
                       {"Label1", {}, 119},
                       {"Label5", chars, 0, "Label9"},
                       {"Label9", {}, 0, "Label5"},
                       {"Label12", {}, 119},
                       {"Label2", {}, 229},
                       {"Label6", chars, 0, "Label3"},
                       {"Label3", {}, 0, "Label6"},
                       {"Label4", {}, 229},
                       {"Button3", {}, 130},
                       {"Button1", {}, 229},
                   });
    setWindowIcon(programIcon());
    move(155, 91);
    pressButtonsOnEnter(this);
    nameBox_ = ui_->Memo1;
    urlBox_ = ui_->Memo2;

    const auto on = [this](auto* sender, auto signal, void (NewEntryDialog::*handler)()) {
        connect(sender, signal, this, guarded(notices_, [this, handler] { (this->*handler)(); }));
    };
    on(nameBox_, &TextBox::userChanged, &NewEntryDialog::Memo1Change);
    on(urlBox_, &TextBox::userChanged, &NewEntryDialog::Memo2Change);
    nameBox_->setChangeHandler([this] { Memo1Change(); });
    urlBox_->setChangeHandler([this] { Memo2Change(); });
    nameBox_->setRefusalHandler([this] { notices_.beep(); });
    urlBox_->setRefusalHandler([this] { notices_.beep(); });
    on(ui_->Button1, &QPushButton::clicked, &NewEntryDialog::Button1Click);
    on(ui_->Button3, &QPushButton::clicked, &NewEntryDialog::Button3Click);
}

NewEntryDialog::~NewEntryDialog() = default;

std::optional<EntNameUrl> NewEntryDialog::execute(std::int32_t baseSize)
{
    openedWith_ = baseSize;
    exec();
    return result;
}

void NewEntryDialog::reset()
{
    nameBox_->setText({});
    urlBox_->setText({});
    ui_->Label5->setText(QStringLiteral("0"));
    ui_->Label6->setText(QStringLiteral("0"));
    result.reset();
}

void NewEntryDialog::keyPressEvent(QKeyEvent* event)
{
    // Neither button is the cancel button, so Esc leaves the typed texts
    // alone; the close box, the system menu and Alt+F4 still close.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void NewEntryDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    runGuarded(notices_, [this] { FormShow(); });
}

void NewEntryDialog::FormShow()
{
    BaseSize = openedWith_;
    result.reset();
}

void NewEntryDialog::Memo1Change()
{
    ui_->Label5->setText(QString::number(nameBox_->length()));
}

void NewEntryDialog::Memo2Change()
{
    ui_->Label6->setText(QString::number(urlBox_->length()));
}

void NewEntryDialog::Button1Click()
{
    const QString refusal = AddToListRefusal(nameBox_->text(), urlBox_->text(), BaseSize);
    if (!refusal.isEmpty()) {
        notices_.beep();
        notices_.message(refusal);
        return;
    }
    result = EntNameUrl{nameBox_->text(), urlBox_->text()};
    accept();
}

void NewEntryDialog::Button3Click()
{
    result.reset();
    reject();
}
