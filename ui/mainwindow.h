#pragma once

#include "store/favouritesstore.h"
#include "ui/entrychecks.h"
#include "ui/sectionfiles.h"
#include "ui/settingsfile.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCloseEvent;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
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
// history. It owns the store for its whole life.
class MainWindow : public QWidget, public linkwell::SectionFilesView {
    Q_OBJECT
public:
    // settingsFolder holds "Linkwell.ini"; empty means the folder
    // settingsFolderFor chooses for the executable's folder.
    explicit MainWindow(linkwell::Notices& notices, const QString& settingsFolder = QString(),
                    QWidget* parent = nullptr);
    ~MainWindow() override;

    linkwell::FavouritesStore& store() { return store_; }
    const linkwell::FavouritesStore& store() const { return store_; }
    linkwell::Notices& notices() { return notices_; }
    QString settingsFolder() const { return settingsFolder_; }

    // The selected COM port, 1 to 6 once the window has been created.
    std::uint8_t PortNumber() const { return portNumber_; }
    // Appends "* " and message as the last line of the history.
    void AddHistory(const QString& message);

    // Refills the list from the store, selects the first entry and enables
    // the entry controls. The boxes are left alone: ShowSelected comes next.
    void FillListBox();
    // Shows the selected entry in the boxes (in the current view) and its
    // position; empty boxes and position 0 when nothing is selected.
    void ShowSelected();
    // After a download or an opened file: the list with its first entry
    // shown, or, when the load left no entry, the window as after the last
    // entry was deleted (only "Save to file..." stays usable of the entry
    // controls, since an empty list can be saved).
    void showLoadedList() override;
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    // Applies the current view to the boxes: the collapsed texts under
    // "WAP style", the stored texts otherwise.
    void RefreshView();
    // The bytes everything but the edited entry takes; set on entering edit mode.
    std::int32_t OtherSize() const { return otherSize_; }
    // Enables or disables a group of controls (ui/entrychecks.h).
    void setControlsEnabled(unsigned controls, bool enabled);

    // The phone library "Download" and "Upload" talk to.
    void setPhone(linkwell::PhoneLibrary& phone) { phone_ = &phone; }

    // The new-entry dialog "Insert new" opens. Tests may put an opener of
    // their own in its place; the dialog is emptied after every use.
    void setNewEntryDialog(NewEntryDialog& dialog);
    using NewEntryOpener = std::function<std::optional<linkwell::EntNameUrl>(std::int32_t baseSize)>;
    void setNewEntryOpener(NewEntryOpener opener, std::function<void()> reset = {});

    // The controls, by the names of the window's layout.
    QPushButton* btnDownload;
    QPushButton* btnOpenFile;
    QPushButton* btnSaveFile;
    QPushButton* btnUpload;
    QPushButton* btnNew;
    QPushButton* btnDelete;
    QPushButton* btnUp;
    QPushButton* btnDown;
    std::array<QRadioButton*, 6> RadioButtons;
    linkwell::ListBox* ListBox1;
    linkwell::CheckBox* chShowStyle;
    linkwell::CheckBox* EditStyle;
    linkwell::TextBox* Memo1;
    linkwell::TextBox* Memo2;
    linkwell::TextBox* Memo3;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label7;
    QLabel* Label18;
    QLabel* Image1;

public slots:
    // The phone commands come with the phone link, the file commands with the
    // section files, the insertion with the new-entry dialog.
    void btnDownloadClick();
    void btnUploadClick();
    void btnSaveFileClick();
    void btnOpenFileClick();
    void btnNewClick();

    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();
    void RadioButton6Click();

    void ListBox1Click();
    void Memo1Change();
    void Memo2Change();
    void chShowStyleClick();
    void EditStyleClick();
    void btnDeleteClick();
    void btnUpClick();
    void btnDownClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitWindowTexts();
    void FormCreate();
    void FormClose();
    void selectPort(std::uint8_t port);
    void enterEditMode();
    void leaveEditMode();
    void moveSelected(int offset);
    void showEmptyList();
    linkwell::PhoneLibrary& phone();
    void connectHandlers();
    template <class Signal, class Sender> void on(Sender* sender, Signal signal, void (MainWindow::*handler)());

    std::unique_ptr<Ui::MainWindow> ui_;
    linkwell::Notices& notices_;
    QString settingsFolder_;
    linkwell::SettingsFile settings_;
    linkwell::FavouritesStore store_;
    std::uint8_t portNumber_ = 0;
    std::int32_t otherSize_ = 0;
    bool closed_ = false;
    linkwell::SectionFiles files_;
    linkwell::PhoneLibrary* phone_ = nullptr;
    NewEntryOpener openNewEntry_;
    std::function<void()> resetNewEntry_;
};
