#include "mainwindow.h"

#include "phone/favouritestransfer.h"
#include "ui/builtinimages.h"
#include "ui/buttonkeys.h"
#include "ui/controls.h"
#include "ui/newentrydialog.h"
#include "store/cp1250.h"
#include "ui/guard.h"
#include "ui/phonebusy.h"
#include "ui/textfit.h"
#include "store/limits.h"
#include "phone/imagemessages.h"
#include "phone/notices.h"
#include "ui/uifonts.h"
#include "ui_mainwindow.h"

#include <QButtonGroup>
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
    : QWidget(parent), ui_(std::make_unique<Ui::MainWindow>()), notices_(notices),
      settingsFolder_(settingsFolder.isEmpty() ? settingsFolderFor(QCoreApplication::applicationDirPath(),
                                                                   QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                                               : settingsFolder),
      settings_(settingsFolder_, notices),
      files_(store_, notices, *this, initialFileFolder(QCoreApplication::applicationDirPath(), QDir::homePath()))
{
    installFontSubstitutes();
    ui_->setupUi(this);
    downloadButton_ = ui_->btnDownload;
    openFileButton_ = ui_->btnOpenFile;
    saveFileButton_ = ui_->btnSaveFile;
    uploadButton_ = ui_->btnUpload;
    newButton_ = ui_->btnNew;
    deleteButton_ = ui_->btnDelete;
    upButton_ = ui_->btnUp;
    downButton_ = ui_->btnDown;
    entryList_ = ui_->ListBox1;
    collapseBox_ = ui_->chShowStyle;
    editBox_ = ui_->EditStyle;
    nameBox_ = ui_->Memo1;
    urlBox_ = ui_->Memo2;
    historyBox_ = ui_->Memo3;
    nameLengthLabel_ = ui_->Label3;
    urlLengthLabel_ = ui_->Label4;
    entryCountLabel_ = ui_->Label7;
    positionLabel_ = ui_->Label18;
    portButtons_ = new QButtonGroup(this);
    int port = 1;
    for (QRadioButton* button :
         {ui_->RadioButton1, ui_->RadioButton2, ui_->RadioButton3, ui_->RadioButton4, ui_->RadioButton5, ui_->RadioButton6})
        portButtons_->addButton(button, port++);

    historyBox_->setMaxTyped(TextBox::Unlimited);
    fitWindowTexts();
    setWindowIcon(programIcon());
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
                       {"btnDownload", {}, 100},     {"btnOpenFile", {}, 100},
                       {"btnSaveFile", {}, 100},     {"btnUpload", {}, 100},
                       {"Label11", {}, 100},         {"Label18", counts, 0, "Label6"},
                       {"Label6", {}, 0, "Label18"}, {"Label19", {}, 224},
                       {"Label7", counts, 249},      {"Label8", {}, 295},
                       {"chShowStyle", {}, 374},     {"EditStyle", {}, 374},
                       {"btnNew", {}, 369},          {"btnDelete", {}, 369},
                       {"Label17", {}, 369},         {"btnUp", {}, 369},
                       {"btnDown", {}, 369},         {"Label5", {}, 370},
                       {"Label1", {}, 472},          {"Label3", chars, 0, "Label9"},
                       {"Label9", {}, 0, "Label3"},  {"Label12", {}, 472},
                       {"Label2", {}, 577},          {"Label4", chars, 0, "Label10"},
                       {"Label10", {}, 0, "Label4"}, {"Label13", {}, 577},
                   });
}

template <class Signal, class Sender> void MainWindow::on(Sender* sender, Signal signal, void (MainWindow::*handler)())
{
    // Every command ends in the view of the state it left; the handlers that
    // choose a row show it themselves, and showing it again changes nothing.
    connect(sender, signal, this, guarded(notices_, [this, handler] {
                (this->*handler)();
                updateView();
            }));
}

void MainWindow::connectHandlers()
{
    on(downloadButton_, &QPushButton::clicked, &MainWindow::btnDownloadClick);
    on(uploadButton_, &QPushButton::clicked, &MainWindow::btnUploadClick);
    on(saveFileButton_, &QPushButton::clicked, &MainWindow::btnSaveFileClick);
    on(openFileButton_, &QPushButton::clicked, &MainWindow::btnOpenFileClick);
    on(newButton_, &QPushButton::clicked, &MainWindow::btnNewClick);
    on(deleteButton_, &QPushButton::clicked, &MainWindow::btnDeleteClick);
    on(upButton_, &QPushButton::clicked, &MainWindow::btnUpClick);
    on(downButton_, &QPushButton::clicked, &MainWindow::btnDownClick);
    on(entryList_, &ListBox::userClicked, &MainWindow::ListBox1Click);

    // Changes by the user arrive as signals, through the guard; changes by the
    // program run the handler directly, so a failure ends the operation that
    // made the change.
    on(nameBox_, &TextBox::userChanged, &MainWindow::Memo1Change);
    on(urlBox_, &TextBox::userChanged, &MainWindow::Memo2Change);
    nameBox_->setChangeHandler([this] { Memo1Change(); });
    urlBox_->setChangeHandler([this] { Memo2Change(); });
    nameBox_->setRefusalHandler([this] { notices_.beep(); });
    urlBox_->setRefusalHandler([this] { notices_.beep(); });
    on(collapseBox_, &CheckBox::userClicked, &MainWindow::chShowStyleClick);
    on(editBox_, &CheckBox::userClicked, &MainWindow::EditStyleClick);
    collapseBox_->setClickHandler([this] { chShowStyleClick(); });
    editBox_->setClickHandler([this] { EditStyleClick(); });

    // A port is selected when its button becomes checked, by a click or by
    // FormCreate; a click on the checked button changes nothing.
    connect(portButtons_, &QButtonGroup::idToggled, this, [this](int port, bool checked) {
        if (checked)
            runGuarded(notices_, [this, port] { selectPort(port); });
    });
}

void MainWindow::FormCreate()
{
    ui_->Image1->setPixmap(bannerImage());
    store_.ClearAll();
    const char digit = settings_.readPortDigit();
    portButtons_->button(digit - '0')->setChecked(true);
    updateView();
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
    historyBox_->appendLine(cp1250::encode(QStringLiteral("* ") + message));
    // A phone command blocks the event loop; painting now lets a slow or
    // silent phone show its progress line by line.
    historyBox_->viewport()->repaint();
}

void MainWindow::selectPort(int port)
{
    portNumber_ = std::uint8_t(port);
    AddHistory(QStringLiteral("Selected port COM%1").arg(port));
}

void MainWindow::updateView()
{
    updateView(entryList_->itemIndex());
}

void MainWindow::updateView(int row)
{
    // The texts first: a selected row the store does not hold fails here,
    // before the list or any other control has changed.
    if (!editing_)
        showEntryTexts(row);
    showEntries();
    entryList_->setItemIndex(row);
    entryCountLabel_->setText(QString::number(store_.count()));
    positionLabel_->setText(QString::number(row + 1));
    for (TextBox* box : {nameBox_, urlBox_}) {
        // Only a real change, so that typing keeps the box as it is.
        if (box->isReadOnly() == editing_)
            box->setReadOnly(!editing_);
    }
    enableControls();
}

void MainWindow::showEntryTexts(int i)
{
    // Under "WAP style" the boxes show the texts with runs of blanks
    // collapsed, as the phone shows them; the store keeps them as typed.
    // Each box's change handler keeps its length label in step.
    const QByteArray name = i < 0 ? QByteArray() : store_.name(i);
    const QByteArray url = i < 0 ? QByteArray() : store_.url(i);
    const bool collapsed = collapseBox_->isChecked();
    nameBox_->setText(collapsed ? CollapseSpaces(name) : name);
    urlBox_->setText(collapsed ? CollapseSpaces(url) : url);
}

void MainWindow::showEntries()
{
    // The list box holds no entries of its own, only the store's names; it is
    // brought in line row by row, so that a change of one entry leaves the
    // other rows, and the scrolling, as they were.
    const QList<QByteArray> names = store_.NameList();
    while (entryList_->itemCount() > names.size())
        entryList_->deleteItem(entryList_->itemCount() - 1);
    for (int i = 0; i < names.size(); ++i) {
        if (i >= entryList_->itemCount())
            entryList_->addItem(names[i]);
        else if (entryList_->itemText(i) != names[i])
            entryList_->replaceItem(i, names[i]);
    }
}

void MainWindow::enableControls()
{
    // Edit mode locks everything that could change the store or the
    // selection; "Edit" itself and the port buttons stay.
    const bool idle = !editing_;
    const bool entryCommands = entryCommands_ == EntryCommands::All;
    entryList_->setEnabled(idle);
    collapseBox_->setEnabled(idle && entryCommands);
    editBox_->setEnabled(entryCommands);
    deleteButton_->setEnabled(idle && entryCommands);
    upButton_->setEnabled(idle && entryCommands);
    downButton_->setEnabled(idle && entryCommands);
    saveFileButton_->setEnabled(idle && entryCommands_ != EntryCommands::None);
    for (QPushButton* button : {uploadButton_, newButton_, downloadButton_, openFileButton_})
        button->setEnabled(idle);
}

void MainWindow::FillListBox()
{
    entryCommands_ = EntryCommands::All;
    updateView(store_.count() > 0 ? 0 : -1);
}

void MainWindow::showLoadedList()
{
    entryCommands_ = store_.count() > 0 ? EntryCommands::All : EntryCommands::SaveOnly;
    updateView(store_.count() > 0 ? 0 : -1);
}

void MainWindow::ShowSelected()
{
    updateView();
}

void MainWindow::ListBox1Click()
{
    ShowSelected();
}

void MainWindow::Memo1Change()
{
    nameLengthLabel_->setText(QString::number(nameBox_->length()));
}

void MainWindow::Memo2Change()
{
    urlLengthLabel_->setText(QString::number(urlBox_->length()));
}

void MainWindow::chShowStyleClick()
{
    updateView();
}

void MainWindow::EditStyleClick()
{
    if (editBox_->isChecked())
        enterEditMode();
    else
        leaveEditMode();
    updateView();
}

std::int32_t MainWindow::builtImageSize()
{
    // Built only to measure; entries past the 100th leave the store here.
    const BuiltImage image = store_.BuildSection();
    reportBuilt(image, notices_, {});
    return image.size;
}

void MainWindow::enterEditMode()
{
    const int i = entryList_->itemIndex();
    if (i < 0) {
        // Nothing to edit: the box does not stay checked and nothing is locked.
        editBox_->setChecked(false);
        return;
    }
    // Built first: the build may drop entries, and the texts must be read from
    // the store as it is afterwards.
    const std::int32_t imageSize = builtImageSize();
    otherSize_ = std::int32_t(imageSizeWithoutRecord(imageSize, store_.name(i), store_.url(i)));
    editing_ = true;
    // Edit mode edits the stored texts, whatever the view; from here on the
    // boxes hold the edit and the view leaves them alone.
    nameBox_->setText(store_.name(i));
    urlBox_->setText(store_.url(i));
}

void MainWindow::leaveEditMode()
{
    const int i = entryList_->itemIndex();
    if (i < 0)
        return;
    const EditExit verdict = CheckEditExit(nameBox_->text(), urlBox_->text(), otherSize_);
    if (verdict != EditExit::Commit) {
        notices_.beep();
        notices_.message(EditExitMessage(verdict));
        // Checking the box again enters edit mode anew: the stored entry is
        // reloaded and the refused texts are dropped.
        editBox_->setChecked(true);
        return;
    }
    editing_ = false;
    store_.replace(i, nameBox_->text(), urlBox_->text());
}

void MainWindow::btnDeleteClick()
{
    const int i = entryList_->itemIndex();
    if (i >= 0 && notices_.confirm(cp1250::decode(DeleteQuestion(store_.name(i), store_.url(i))))) {
        store_.removeAt(i);
        const int left = store_.count();
        if (left == 0)
            entryCommands_ = EntryCommands::None;
        updateView(std::min(i, left - 1));
    }
    entryList_->setFocus();
}

void MainWindow::moveSelected(int offset)
{
    const int i = entryList_->itemIndex();
    const int j = i + offset;
    if (i < 0 || j < 0 || j >= store_.count())
        return;
    store_.exchange(i, j);
    // The selection follows the entry.
    updateView(j);
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

bool MainWindow::download()
{
    PhoneBusy busy(notices_);
    Download received = DownloadFavourites(
        phone(), [this](const QString& line) { AddHistory(line); }, busy.notices(), portNumber_);
    if (received.outcome != DownloadOutcome::Loaded)
        return false;
    store_.adopt(std::move(received.entries));
    return true;
}

void MainWindow::upload()
{
    PhoneBusy busy(notices_);
    // The store stays as it is: an upload sends at most the first 100 entries
    // and says so, but takes none from the list.
    UploadFavourites(
        BuildSection(store_.entries()), phone(), [this](const QString& line) { AddHistory(line); }, busy.notices(), portNumber_);
}

void MainWindow::btnDownloadClick()
{
    // A download that loaded nothing leaves the user's list, and the caption
    // that names it.
    if (!download())
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
    upload();
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
    setNewEntryOpener([&dialog](std::int32_t baseSize) { return dialog.execute(baseSize); }, [&dialog] { dialog.reset(); });
}

void MainWindow::setNewEntryOpener(NewEntryOpener opener, std::function<void()> reset)
{
    openNewEntry_ = std::move(opener);
    resetNewEntry_ = std::move(reset);
}

void MainWindow::btnNewClick()
{
    const std::int32_t imageSize = builtImageSize();
    const QString refusal = InsertRefusal(store_.count(), imageSize);
    if (!refusal.isEmpty()) {
        notices_.beep();
        notices_.message(refusal);
        return;
    }
    if (!openNewEntry_)
        throw std::logic_error("No new-entry dialog");
    const std::optional<EntNameUrl> entry = openNewEntry_(imageSize);
    if (entry) {
        // After the selected row; an empty list has none, so the entry goes first.
        const int p = entryList_->itemIndex() + 1;
        store_.insert(p, entry->name, entry->url);
        entryCommands_ = EntryCommands::All;
        updateView(p);
    }
    if (resetNewEntry_)
        resetNewEntry_();
    entryList_->setFocus();
}
