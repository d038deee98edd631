#include "dialog.h"

#include "phone/notices.h"
#include "ui/buttonkeys.h"
#include "ui/controls.h"
#include "ui/guard.h"
#include "ui/textfit.h"
#include "store/limits.h"
#include "ui/uifonts.h"
#include "ui_dialog.h"

#include <QIcon>
#include <QKeyEvent>

using namespace linkwell;

TForm2::TForm2(Notices& notices, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()), notices_(notices)
{
    installFontSubstitutes();
    ui_->setupUi(this);
    const QStringList chars = countTexts(limits::MaxTypedChars);
    fitTexts(this, {
        {"Label1", {}, 119}, {"Label5", chars, 0, "Label9"}, {"Label9", {}, 0, "Label5"}, {"Label12", {}, 119},
        {"Label2", {}, 229}, {"Label6", chars, 0, "Label3"}, {"Label3", {}, 0, "Label6"}, {"Label4", {}, 229},
        {"Button3", {}, 130}, {"Button1", {}, 229},
    });
    setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));
    move(155, 91);
    pressButtonsOnEnter(this);
    Memo1 = ui_->Memo1;
    Memo2 = ui_->Memo2;

    const auto on = [this](auto* sender, auto signal, void (TForm2::*handler)()) {
        connect(sender, signal, this, guarded(notices_, [this, handler] { (this->*handler)(); }));
    };
    on(Memo1, &TextBox::userChanged, &TForm2::Memo1Change);
    on(Memo2, &TextBox::userChanged, &TForm2::Memo2Change);
    Memo1->setChangeHandler([this] { Memo1Change(); });
    Memo2->setChangeHandler([this] { Memo2Change(); });
    Memo1->setRefusalHandler([this] { notices_.beep(); });
    Memo2->setRefusalHandler([this] { notices_.beep(); });
    on(ui_->Button1, &QPushButton::clicked, &TForm2::Button1Click);
    on(ui_->Button3, &QPushButton::clicked, &TForm2::Button3Click);
}

TForm2::~TForm2() = default;

std::optional<EntNameUrl> TForm2::execute(std::int32_t baseSize)
{
    openedWith_ = baseSize;
    exec();
    return result;
}

void TForm2::reset()
{
    Memo1->setText({});
    Memo2->setText({});
    ui_->Label5->setText(QStringLiteral("0"));
    ui_->Label6->setText(QStringLiteral("0"));
    result.reset();
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Neither button is the cancel button, so Esc leaves the typed texts
    // alone; the close box, the system menu and Alt+F4 still close.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    runGuarded(notices_, [this] { FormShow(); });
}

void TForm2::FormShow()
{
    BaseSize = openedWith_;
    result.reset();
}

void TForm2::Memo1Change()
{
    ui_->Label5->setText(QString::number(Memo1->length()));
}

void TForm2::Memo2Change()
{
    ui_->Label6->setText(QString::number(Memo2->length()));
}

void TForm2::Button1Click()
{
    const QString refusal = AddToListRefusal(Memo1->text(), Memo2->text(), BaseSize);
    if (!refusal.isEmpty()) {
        notices_.beep();
        notices_.message(refusal);
        return;
    }
    result = EntNameUrl{Memo1->text(), Memo2->text()};
    accept();
}

void TForm2::Button3Click()
{
    result.reset();
    reject();
}
