#pragma once

#include "store/favouritesstore.h"
#include "ui/entrychecks.h"
#include "ui/sectionfiles.h"
#include "ui/settingsfile.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCloseEvent;
class QLabel;
class QPushButton;
class NewEntryDialog;

namespace Ui {
class MainWindow;
}

namespace linkwell {
class CheckBox;
class ListBox;
class Notices;
class PhoneLibrary;
class TextBox;
} // namespace linkwell

// The main window: the favourites list, the two panels of the selected entry,
// the phone and file commands, the COM port choice and the communication
// history. It owns the store for its whole life, and every control but the
// history and the port buttons shows the state updateView() derives it from
// (docs/design.md, "The window's state").
class MainWindow : public QWidget, public linkwell::SectionFilesView {
    Q_OBJECT
public:
    // settingsFolder holds "Linkwell.ini"; empty means the folder
    // settingsFolderFor chooses for the executable's folder.
    explicit MainWindow(linkwell::Notices& notices, const QString& settingsFolder = QString(), QWidget* parent = nullptr);
    ~MainWindow() override;

    linkwell::FavouritesStore& store() { return store_; }
    const linkwell::FavouritesStore& store() const { return store_; }
    linkwell::Notices& notices() { return notices_; }
    QString settingsFolder() const { return settingsFolder_; }

    // The selected COM port, 1 to 6 once the window has been created.
    std::uint8_t PortNumber() const { return portNumber_; }
    // Appends "* " and message as the last line of the history.
    void AddHistory(const QString& message);

    // Shows the store's entries with the first selected, every entry command
    // usable, whatever the count.
    void FillListBox();
    // Shows the entry the list box has selected (in the current view) and its
    // position; empty boxes and position 0 when nothing is selected.
    void ShowSelected();
    // After a download or an opened file: the list with its first entry
    // shown, or, when the load left no entry, the window as after the last
    // entry was deleted except that "Save to file..." stays usable, since an
    // empty list can be saved.
    void showLoadedList() override;
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    // The bytes everything but the edited entry takes; set on entering edit mode.
    std::int32_t OtherSize() const { return otherSize_; }

    // The phone library "Download" and "Upload" talk to.
    void setPhone(linkwell::PhoneLibrary& phone) { phone_ = &phone; }

    // The new-entry dialog "Insert new" opens. Tests may put an opener of
    // their own in its place; the dialog is emptied after every use.
    void setNewEntryDialog(NewEntryDialog& dialog);
    using NewEntryOpener = std::function<std::optional<linkwell::EntNameUrl>(std::int32_t baseSize)>;
    void setNewEntryOpener(NewEntryOpener opener, std::function<void()> reset = {});

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Which entry commands the last change of the list left usable. With
    // entries they all are; an empty list may still be saved after a load
    // that emptied it, but not after its last entry was deleted.
    enum class EntryCommands { None, SaveOnly, All };

    // The handlers, named for the control and event that run them.
    void btnDownloadClick();
    void btnUploadClick();
    void btnSaveFileClick();
    void btnOpenFileClick();
    void btnNewClick();
    void btnDeleteClick();
    void btnUpClick();
    void btnDownClick();
    void ListBox1Click();
    void Memo1Change();
    void Memo2Change();
    void chShowStyleClick();
    void EditStyleClick();
    void selectPort(int port);
    void FormCreate();
    void FormClose();

    // The one place the controls are set from the state; row is the selected
    // row a command chose, else the one the list box holds.
    void updateView();
    void updateView(int row);
    void showEntryTexts(int row);
    void showEntries();
    void enableControls();

    void enterEditMode();
    void leaveEditMode();
    void moveSelected(int offset);

    // Every call into the store's image builder and the phone sequences.
    std::int32_t builtImageSize();
    bool download();
    void upload();

    void fitWindowTexts();
    void connectHandlers();
    linkwell::PhoneLibrary& phone();
    template <class Signal, class Sender> void on(Sender* sender, Signal signal, void (MainWindow::*handler)());

    std::unique_ptr<Ui::MainWindow> ui_;
    linkwell::Notices& notices_;
    QString settingsFolder_;
    linkwell::SettingsFile settings_;
    linkwell::FavouritesStore store_;
    linkwell::SectionFiles files_;
    linkwell::PhoneLibrary* phone_ = nullptr;
    NewEntryOpener openNewEntry_;
    std::function<void()> resetNewEntry_;

    // The state the view is derived from, besides the store's entries and
    // the selected row, which the list box holds since the user sets it there.
    bool editing_ = false;
    EntryCommands entryCommands_ = EntryCommands::None;

    std::uint8_t portNumber_ = 0;
    std::int32_t otherSize_ = 0;
    bool closed_ = false;

    // The controls, named for what they are; their object names are the
    // ones of the window's description (docs/design.md, "Names").
    QPushButton* downloadButton_;
    QPushButton* openFileButton_;
    QPushButton* saveFileButton_;
    QPushButton* uploadButton_;
    QPushButton* newButton_;
    QPushButton* deleteButton_;
    QPushButton* upButton_;
    QPushButton* downButton_;
    QButtonGroup* portButtons_;
    linkwell::ListBox* entryList_;
    linkwell::CheckBox* collapseBox_;
    linkwell::CheckBox* editBox_;
    linkwell::TextBox* nameBox_;
    linkwell::TextBox* urlBox_;
    linkwell::TextBox* historyBox_;
    QLabel* nameLengthLabel_;
    QLabel* urlLengthLabel_;
    QLabel* entryCountLabel_;
    QLabel* positionLabel_;
};
