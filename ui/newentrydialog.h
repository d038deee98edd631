#pragma once

#include "ui/entrychecks.h"

#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class NewEntryDialog;
}

namespace linkwell {
class Notices;
class TextBox;
} // namespace linkwell

// The new-entry dialog: a name and a URL, each with its character count. It is
// created once, hidden, and reused for every insertion.
class NewEntryDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewEntryDialog(linkwell::Notices& notices, QWidget* parent = nullptr);
    ~NewEntryDialog() override;

    // Opens the dialog modally for a store whose image takes baseSize bytes and
    // gives back the accepted entry, or nothing.
    std::optional<linkwell::EntNameUrl> execute(std::int32_t baseSize);
    // Empties both texts, sets both counts to "0" and forgets the result, so
    // the next opening starts afresh.
    void reset();

    // The image size of the store the dialog was last opened for.
    std::int32_t BaseSize = 0;
    std::optional<linkwell::EntNameUrl> result;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The handlers, named for the control and event that run them.
    void Memo1Change();
    void Memo2Change();
    void Button1Click();
    void Button3Click();
    void FormShow();

    std::unique_ptr<Ui::NewEntryDialog> ui_;
    linkwell::Notices& notices_;
    std::int32_t openedWith_ = 0;
    linkwell::TextBox* nameBox_;
    linkwell::TextBox* urlBox_;
};
