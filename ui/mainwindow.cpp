#include "mainwindow.h"

#include "phone/favouritestransfer.h"
#include "ui/buttonkeys.h"
#include "ui/controls.h"
#include "ui/newentrydialog.h"
#include "store/cp1250.h"
#include "ui/guard.h"
#include "ui/entrychecks.h"
#include "ui/phonebusy.h"
#include "ui/textfit.h"
#include "store/limits.h"
#include "store/notices.h"
#include "ui/uifonts.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QStandardPaths>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>

#include <algorithm>
#include <stdexcept>

using namespace linkwell;

MainWindow::MainWindow(Notices& notices, const QString& settingsFolder, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      notices_(notices),
      settingsFolder_(settingsFolder.isEmpty()
                          ? settingsFolderFor(QCoreApplication::applicationDirPath(),
                                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                          : settingsFolder),
      settings_(settingsFolder_, notices),
      store_(notices),
      files_(store_, notices, *this, initialFileFolder(QCoreApplication::applicationDirPath(), QDir::homePath()))
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
    fitWindowTexts();
    setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));
    move(172, 106);

    pressButtonsOnEnter(this);
    connectHandlers();
    runGuarded(notices_, [this] { FormCreate(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::fitWindowTexts()
{
    // The room each text has: up to the frame around it, or to its neighbour
    // in the row. The counts are fitted before the labels to their left.
    const QStringList counts = countTexts(limits::MaxEntries);
    const QStringList chars = countTexts(limits::MaxTypedChars);
    fitTexts(this, {
        {"btnDownload", {}, 100}, {"btnOpenFile", {}, 100}, {"btnSaveFile", {}, 100}, {"btnUpload", {}, 100},
        {"Label11", {}, 100},
        {"Label18", counts, 0, "Label6"}, {"Label6", {}, 0, "Label18"},
        {"Label19", {}, 224}, {"Label7", counts, 249}, {"Label8", {}, 295},
        {"chShowStyle", {}, 374}, {"EditStyle", {}, 374},
        {"btnNew", {}, 369}, {"btnDelete", {}, 369}, {"Label17", {}, 369}, {"btnUp", {}, 369}, {"btnDown", {}, 369},
        {"Label5", {}, 370},
        {"Label1", {}, 472}, {"Label3", chars, 0, "Label9"}, {"Label9", {}, 0, "Label3"}, {"Label12", {}, 472},
        {"Label2", {}, 577}, {"Label4", chars, 0, "Label10"}, {"Label10", {}, 0, "Label4"}, {"Label13", {}, 577},
    });
}

template <class Signal, class Sender> void MainWindow::on(Sender* sender, Signal signal, void (MainWindow::*handler)())
{
    connect(sender, signal, this, guarded(notices_, [this, handler] { (this->*handler)(); }));
}

void MainWindow::connectHandlers()
{
    on(btnDownload, &QPushButton::clicked, &MainWindow::btnDownloadClick);
    on(btnUpload, &QPushButton::clicked, &MainWindow::btnUploadClick);
    on(btnSaveFile, &QPushButton::clicked, &MainWindow::btnSaveFileClick);
    on(btnOpenFile, &QPushButton::clicked, &MainWindow::btnOpenFileClick);
    on(btnNew, &QPushButton::clicked, &MainWindow::btnNewClick);
    on(btnDelete, &QPushButton::clicked, &MainWindow::btnDeleteClick);
    on(btnUp, &QPushButton::clicked, &MainWindow::btnUpClick);
    on(btnDown, &QPushButton::clicked, &MainWindow::btnDownClick);
    on(ListBox1, &ListBox::userClicked, &MainWindow::ListBox1Click);

    // Changes by the user arrive as signals, through the guard; changes by the
    // program run the handler directly, so a failure ends the operation that
    // made the change.
    on(Memo1, &TextBox::userChanged, &MainWindow::Memo1Change);
    on(Memo2, &TextBox::userChanged, &MainWindow::Memo2Change);
    Memo1->setChangeHandler([this] { Memo1Change(); });
    Memo2->setChangeHandler([this] { Memo2Change(); });
    Memo1->setRefusalHandler([this] { notices_.beep(); });
    Memo2->setRefusalHandler([this] { notices_.beep(); });
    on(chShowStyle, &CheckBox::userClicked, &MainWindow::chShowStyleClick);
    on(EditStyle, &CheckBox::userClicked, &MainWindow::EditStyleClick);
    chShowStyle->setClickHandler([this] { chShowStyleClick(); });
    EditStyle->setClickHandler([this] { EditStyleClick(); });

    // A port handler runs when its button becomes checked, by a click or by
    // FormCreate; a click on the checked button changes nothing.
    static constexpr void (MainWindow::*portHandlers[6])() = {
        &MainWindow::RadioButton1Click, &MainWindow::RadioButton2Click, &MainWindow::RadioButton3Click,
        &MainWindow::RadioButton4Click, &MainWindow::RadioButton5Click, &MainWindow::RadioButton6Click,
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

void MainWindow::FormCreate()
{
    Image1->setPixmap(QPixmap(QStringLiteral(":/JMENO")));
    store_.setClearedHandler([this] { ListBox1->clearItems(); });
    store_.ClearAll();
    const char digit = settings_.readPortDigit();
    RadioButtons[size_t(digit - '1')]->setChecked(true);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    runGuarded(notices_, [this] { FormClose(); });
    QWidget::closeEvent(event);
}

void MainWindow::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    settings_.writePort(portNumber_);
}

void MainWindow::AddHistory(const QString& message)
{
    Memo3->appendLine(cp1250::encode(QStringLiteral("* ") + message));
    // A phone command blocks the event loop; painting now lets a slow or
    // silent phone show its progress line by line.
    Memo3->viewport()->repaint();
}

void MainWindow::selectPort(std::uint8_t port)
{
    portNumber_ = port;
    AddHistory(QStringLiteral("Selected port COM%1").arg(port));
}

void MainWindow::RadioButton1Click() { selectPort(1); }
void MainWindow::RadioButton2Click() { selectPort(2); }
void MainWindow::RadioButton3Click() { selectPort(3); }
void MainWindow::RadioButton4Click() { selectPort(4); }
void MainWindow::RadioButton5Click() { selectPort(5); }
void MainWindow::RadioButton6Click() { selectPort(6); }

void MainWindow::setControlsEnabled(unsigned controls, bool enabled)
{
    const std::pair<unsigned, QWidget*> all[] = {
        {ListBox1Control, ListBox1},   {ShowStyleControl, chShowStyle}, {EditStyleControl, EditStyle},
        {DeleteControl, btnDelete},    {UpControl, btnUp},              {DownControl, btnDown},
        {SaveFileControl, btnSaveFile}, {UploadControl, btnUpload},     {NewControl, btnNew},
        {DownloadControl, btnDownload}, {OpenFileControl, btnOpenFile},
    };
    for (const auto& [control, widget] : all) {
        if (controls & control)
            widget->setEnabled(enabled);
    }
}

void MainWindow::FillListBox()
{
    setControlsEnabled(EntryControls, true);
    ListBox1->clearItems();
    for (const QByteArray& name : store_.NameList())
        ListBox1->addItem(name);
    ListBox1->setItemIndex(0);
    Label7->setText(QString::number(ListBox1->itemCount()));
}

void MainWindow::showEmptyList()
{
    // No entry is left to show, so no view applies.
    Memo1->setText({});
    Memo2->setText({});
    Label3->setText(QStringLiteral("0"));
    Label4->setText(QStringLiteral("0"));
    Label7->setText(QStringLiteral("0"));
    Label18->setText(QStringLiteral("0"));
}

void MainWindow::showLoadedList()
{
    FillListBox();
    if (store_.count() > 0) {
        ShowSelected();
        return;
    }
    setControlsEnabled(EmptyListControls & ~SaveFileControl, false);
    showEmptyList();
}

void MainWindow::ShowSelected()
{
    const int i = ListBox1->itemIndex();
    if (i < 0) {
        Memo1->setText({});
        Memo2->setText({});
    } else {
        Memo1->setText(store_.name(i));
        Memo2->setText(store_.url(i));
    }
    Label18->setText(QString::number(i + 1));
}

void MainWindow::RefreshView()
{
    // Each text set here runs its box's change handler, which comes back here
    // outside edit mode; it settles because a box set to the text it holds
    // raises no change and collapsing a collapsed text changes nothing.
    if (chShowStyle->isChecked()) {
        Memo1->setText(CollapseSpaces(Memo1->text()));
        Memo2->setText(CollapseSpaces(Memo2->text()));
        return;
    }
    const int i = ListBox1->itemIndex();
    Memo1->setText(i < 0 ? QByteArray() : store_.name(i));
    Memo2->setText(i < 0 ? QByteArray() : store_.url(i));
}

void MainWindow::ListBox1Click()
{
    ShowSelected();
}

void MainWindow::Memo1Change()
{
    Label3->setText(QString::number(Memo1->length()));
    if (!EditStyle->isChecked())
        RefreshView();
}

void MainWindow::Memo2Change()
{
    Label4->setText(QString::number(Memo2->length()));
    if (!EditStyle->isChecked())
        RefreshView();
}

void MainWindow::chShowStyleClick()
{
    RefreshView();
}

void MainWindow::EditStyleClick()
{
    if (EditStyle->isChecked())
        enterEditMode();
    else
        leaveEditMode();
}

void MainWindow::enterEditMode()
{
    const int i = ListBox1->itemIndex();
    if (i < 0) {
        // Nothing to edit: the box does not stay checked and nothing is locked.
        EditStyle->setChecked(false);
        return;
    }
    store_.BuildSection();
    store_.OverflowFlag = 0;
    otherSize_ = OtherSizeOf(store_.DataSize, store_.name(i), store_.url(i));
    Memo1->setReadOnly(false);
    Memo2->setReadOnly(false);
    // Edit mode edits the stored texts, whatever the view.
    Memo1->setText(store_.name(i));
    Memo2->setText(store_.url(i));
    setControlsEnabled(EditLockedControls, false);
}

void MainWindow::leaveEditMode()
{
    const int i = ListBox1->itemIndex();
    if (i < 0)
        return;
    const EditExit verdict = CheckEditExit(Memo1->text(), Memo2->text(), otherSize_);
    if (verdict != EditExit::Commit) {
        notices_.beep();
        notices_.message(EditExitMessage(verdict));
        // Checking the box again enters edit mode anew: the stored entry is
        // reloaded and the refused texts are dropped.
        EditStyle->setChecked(true);
        return;
    }
    Memo1->setReadOnly(true);
    Memo2->setReadOnly(true);
    const QByteArray name = Memo1->text();
    store_.replace(i, name, Memo2->text());
    ListBox1->replaceItem(i, name);
    setControlsEnabled(EditLockedControls, true);
    RefreshView();
}

void MainWindow::btnDeleteClick()
{
    const int i = ListBox1->itemIndex();
    if (i >= 0 && notices_.confirm(cp1250::decode(DeleteQuestion(store_.name(i), store_.url(i))))) {
        store_.removeAt(i);
        ListBox1->deleteItem(i);
        const int left = ListBox1->itemCount();
        if (left == 0) {
            setControlsEnabled(EmptyListControls, false);
            showEmptyList();
        } else {
            ListBox1->setItemIndex(std::min(i, left - 1));
            ShowSelected();
            Label7->setText(QString::number(left));
        }
    }
    ListBox1->setFocus();
}

void MainWindow::moveSelected(int offset)
{
    const int i = ListBox1->itemIndex();
    const int j = i + offset;
    if (i < 0 || j < 0 || j >= ListBox1->itemCount())
        return;
    store_.exchange(i, j);
    ListBox1->exchange(i, j);
    // The position follows the entry.
    Label18->setText(QString::number(ListBox1->itemIndex() + 1));
}

void MainWindow::btnUpClick()
{
    moveSelected(-1);
}

void MainWindow::btnDownClick()
{
    moveSelected(+1);
}

PhoneLibrary& MainWindow::phone()
{
    if (!phone_)
        throw std::logic_error("No phone library");
    return *phone_;
}

void MainWindow::btnDownloadClick()
{
    PhoneBusy busy(notices_);
    const DownloadOutcome outcome = DownloadFavourites(
        store_, phone(), [this](const QString& line) { AddHistory(line); }, busy.notices(), portNumber_);
    // A download that loaded nothing leaves the user's list, and the caption
    // that names it.
    if (outcome != DownloadOutcome::Loaded)
        return;
    showLoadedList();
    setWindowTitle(QStringLiteral("Linkwell: downloaded phone data"));
}

void MainWindow::btnUploadClick()
{
    // One stray click right after start would otherwise wipe the phone.
    if (store_.count() == 0
        && !notices_.confirm(QStringLiteral("The list is empty. Uploading it clears all favourites in the "
                                            "phone. Upload anyway?")))
        return;
    PhoneBusy busy(notices_);
    UploadFavourites(store_, phone(), [this](const QString& line) { AddHistory(line); }, busy.notices(),
                     portNumber_);
}

void MainWindow::btnSaveFileClick()
{
    files_.save();
}

void MainWindow::btnOpenFileClick()
{
    files_.open();
}

void MainWindow::setNewEntryDialog(NewEntryDialog& dialog)
{
    setNewEntryOpener([&dialog](std::int32_t baseSize) { return dialog.execute(baseSize); },
                      [&dialog] { dialog.reset(); });
}

void MainWindow::setNewEntryOpener(NewEntryOpener opener, std::function<void()> reset)
{
    openNewEntry_ = std::move(opener);
    resetNewEntry_ = std::move(reset);
}

void MainWindow::btnNewClick()
{
    store_.BuildSection();
    const QString refusal = InsertRefusal(store_.count(), store_.DataSize);
    if (!refusal.isEmpty()) {
        notices_.beep();
        notices_.message(refusal);
        return;
    }
    if (!openNewEntry_)
        throw std::logic_error("No new-entry dialog");
    const std::optional<EntNameUrl> entry = openNewEntry_(store_.DataSize);
    if (entry) {
        // After the selected row; an empty list has none, so the entry goes first.
        const int p = ListBox1->itemIndex() + 1;
        store_.insert(p, entry->name, entry->url);
        ListBox1->insertItem(p, entry->name);
        ListBox1->setItemIndex(p);
        Label7->setText(QString::number(ListBox1->itemCount()));
        ShowSelected();
        setControlsEnabled(EntryControls, true);
    }
    if (resetNewEntry_)
        resetNewEntry_();
    ListBox1->setFocus();
}
