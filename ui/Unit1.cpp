#include "Unit1.h"

#include "ui/controls.h"
#include "ui/cp1250.h"
#include "ui/guard.h"
#include "ui/uifonts.h"
#include "ui_Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>

using namespace linkwell;

TForm1::TForm1(Notices& notices, const QString& settingsFolder, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::TForm1>()),
      notices_(notices),
      settingsFolder_(settingsFolder.isEmpty() ? QCoreApplication::applicationDirPath() : settingsFolder),
      settings_(settingsFolder_, notices),
      store_(notices)
{
    installFontSubstitutes();
    ui_->setupUi(this);
    btnDownload = ui_->btnDownload;
    btnOpenFile = ui_->btnOpenFile;
    btnSaveFile = ui_->btnSaveFile;
    btnUpload = ui_->btnUpload;
    btnNew = ui_->btnNew;
    btnDelete = ui_->btnDelete;
    btnUp = ui_->btnUp;
    btnDown = ui_->btnDown;
    RadioButtons = {ui_->RadioButton1, ui_->RadioButton2, ui_->RadioButton3,
                    ui_->RadioButton4, ui_->RadioButton5, ui_->RadioButton6};
    ListBox1 = ui_->ListBox1;
    chShowStyle = ui_->chShowStyle;
    EditStyle = ui_->EditStyle;
    Memo1 = ui_->Memo1;
    Memo2 = ui_->Memo2;
    Memo3 = ui_->Memo3;
    Label3 = ui_->Label3;
    Label4 = ui_->Label4;
    Label7 = ui_->Label7;
    Label18 = ui_->Label18;
    Image1 = ui_->Image1;

    Memo3->setMaxTyped(TextBox::Unlimited);
    // Labels size themselves to their text; the right-aligned counts keep
    // their right edge instead.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != Image1 && !(label->alignment() & Qt::AlignRight))
            label->adjustSize();
    }
    setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));
    move(172, 106);

    connectHandlers();
    runGuarded(notices_, [this] { FormCreate(); });
}

TForm1::~TForm1() = default;

template <class Signal, class Sender> void TForm1::on(Sender* sender, Signal signal, void (TForm1::*handler)())
{
    connect(sender, signal, this, guarded(notices_, [this, handler] { (this->*handler)(); }));
}

void TForm1::connectHandlers()
{
    on(btnDownload, &QPushButton::clicked, &TForm1::btnDownloadClick);
    on(btnUpload, &QPushButton::clicked, &TForm1::btnUploadClick);
    on(btnSaveFile, &QPushButton::clicked, &TForm1::btnSaveFileClick);
    on(btnOpenFile, &QPushButton::clicked, &TForm1::btnOpenFileClick);
    on(btnNew, &QPushButton::clicked, &TForm1::btnNewClick);

    // A port handler runs when its button becomes checked, by a click or by
    // FormCreate; a click on the checked button changes nothing.
    static constexpr void (TForm1::*portHandlers[6])() = {
        &TForm1::RadioButton1Click, &TForm1::RadioButton2Click, &TForm1::RadioButton3Click,
        &TForm1::RadioButton4Click, &TForm1::RadioButton5Click, &TForm1::RadioButton6Click,
    };
    for (size_t i = 0; i < RadioButtons.size(); ++i) {
        QRadioButton* button = RadioButtons[i];
        const auto handler = portHandlers[i];
        connect(button, &QRadioButton::toggled, this, guarded(notices_, [this, button, handler] {
                    if (button->isChecked())
                        (this->*handler)();
                }));
    }
}

void TForm1::FormCreate()
{
    Image1->setPixmap(QPixmap(QStringLiteral(":/JMENO")));
    store_.setClearedHandler([this] { ListBox1->clearItems(); });
    store_.ClearAll();
    const char digit = settings_.readPortDigit();
    RadioButtons[size_t(digit - '1')]->setChecked(true);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    runGuarded(notices_, [this] { FormClose(); });
    QWidget::closeEvent(event);
}

void TForm1::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    settings_.writePort(portNumber_);
}

void TForm1::AddHistory(const QString& message)
{
    Memo3->appendLine(cp1250::encode(QStringLiteral("* ") + message));
}

void TForm1::selectPort(std::uint8_t port)
{
    portNumber_ = port;
    AddHistory(QStringLiteral("Selected port COM%1").arg(port));
}

void TForm1::RadioButton1Click() { selectPort(1); }
void TForm1::RadioButton2Click() { selectPort(2); }
void TForm1::RadioButton3Click() { selectPort(3); }
void TForm1::RadioButton4Click() { selectPort(4); }
void TForm1::RadioButton5Click() { selectPort(5); }
void TForm1::RadioButton6Click() { selectPort(6); }

// Download and upload arrive with the phone link.
void TForm1::btnDownloadClick() {}
void TForm1::btnUploadClick() {}
// Saving and opening image files arrive with the section file commands.
void TForm1::btnSaveFileClick() {}
void TForm1::btnOpenFileClick() {}
// Insertion arrives with the new-entry dialog.
void TForm1::btnNewClick() {}
