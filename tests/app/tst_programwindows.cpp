#include "control.h"
#include "app/fontconfigpreload.h"
#include "app/programwindows.h"
#include "ui/controls.h"
#include "ui/newentrydialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace linkwell;
using namespace linkwell::testing;
using namespace Qt::StringLiterals;

namespace {

// Clicks "Insert new" in the program's window and, once a dialog is modal,
// runs the steps on it. Returns whether a modal new-entry dialog was met; one
// the steps leave open is closed.
bool insert(MainWindow& form, const std::function<void(NewEntryDialog&)>& steps)
{
    bool met = false;
    std::function<void(int)> whenModal = [&](int triesLeft) {
        auto* dialog = qobject_cast<NewEntryDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0)
                QTimer::singleShot(5, [&whenModal, triesLeft] { whenModal(triesLeft - 1); });
            return;
        }
        met = true;
        steps(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    };
    QTimer::singleShot(0, [&whenModal] { whenModal(200); });
    control<QPushButton>(form, "btnNew")->click();
    return met;
}

QStringList names(const MainWindow& form)
{
    QStringList out;
    for (const QByteArray& n : control<ListBox>(form, "ListBox1")->itemTexts())
        out << QString::fromLatin1(n);
    return out;
}

void typeInto(TextBox* box, const QString& text)
{
    box->setFocus();
    QTest::keyClicks(box, text);
}

} // namespace

class TestProgramWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void newEntryDialogAcrossInsertions_data();
    void newEntryDialogAcrossInsertions();
};

void TestProgramWindows::newEntryDialogAcrossInsertions_data()
{
    // How the first opening ends; the second opening must find the dialog
    // where the user left it, emptied, and insert what is typed there.
    QTest::addColumn<QString>("firstEnd");
    QTest::addColumn<QStringList>("namesAfterFirst");
    QTest::newRow("cancelled") << u"Button3"_s << QStringList{};
    QTest::newRow("added") << u"Button1"_s << QStringList{u"First"_s};
}

void TestProgramWindows::newEntryDialogAcrossInsertions()
{
    QFETCH(QString, firstEnd);
    QFETCH(QStringList, namesAfterFirst);

    ProgramWindows windows;
    MainWindow& form = windows.mainWindow();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    NewEntryDialog* first = nullptr;
    QVERIFY(insert(form, [&](NewEntryDialog& d) {
        first = &d;
        QCOMPARE(d.objectName(), u"TForm2"_s);
        QCOMPARE(d.parentWidget(), &form);
        QCOMPARE(d.pos(), QPoint(155, 91));
        typeInto(control<TextBox>(d, "Memo1"), u"First"_s);
        typeInto(control<TextBox>(d, "Memo2"), u"first.url"_s);
        d.move(300, 200);
        control<QPushButton>(d, firstEnd)->click();
    }));
    QVERIFY(first);
    QCOMPARE(names(form), namesAfterFirst);

    QVERIFY(insert(form, [&](NewEntryDialog& d) {
        QCOMPARE(&d, first);
        QCOMPARE(d.pos(), QPoint(300, 200));
        QCOMPARE(control<TextBox>(d, "Memo1")->text(), QByteArray());
        QCOMPARE(control<TextBox>(d, "Memo2")->text(), QByteArray());
        QCOMPARE(control<QLabel>(d, "Label5")->text(), u"0"_s);
        QCOMPARE(control<QLabel>(d, "Label6")->text(), u"0"_s);
        typeInto(control<TextBox>(d, "Memo1"), u"Second"_s);
        typeInto(control<TextBox>(d, "Memo2"), u"second.url"_s);
        control<QPushButton>(d, "Button1")->click();
    }));
    QCOMPARE(names(form), namesAfterFirst + QStringList{u"Second"_s});
}

// Started as main() starts the program, font configuration read aside.
int main(int argc, char* argv[])
{
    FontConfigPreload fonts;
    QApplication app(argc, argv);
    fonts.wait();
    TestProgramWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programwindows.moc"
