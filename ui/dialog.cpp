#include "dialog.h"

#include "ui/uifonts.h"
#include "ui_dialog.h"

#include <QIcon>

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm2>())
{
    linkwell::installFontSubstitutes();
    ui_->setupUi(this);
    for (QLabel* label : findChildren<QLabel*>()) {
        if (!(label->alignment() & Qt::AlignRight))
            label->adjustSize();
    }
    setWindowIcon(QIcon(QStringLiteral(":/linkwell.png")));
    move(155, 91);
}

TForm2::~TForm2() = default;
