#pragma once

#include <QByteArray>
#include <QCheckBox>
#include <QList>
#include <QListWidget>
#include <QPlainTextEdit>
#include <functional>

// The window's handlers rely on four behaviours of its controls that plain Qt
// widgets do not all have. They live here, once, so no handler has to
// remember them:
//  1. setting a text box's text runs its change handler only on a real change;
//     typing runs it on every change;
//  2. setting the list box's index from the program runs no click handler;
//  3. setting a check box's state from the program runs its click handler when
//     the state changes, as a click does;
//  4. replacing a list item keeps the selection; exchanging two items moves it
//     with the exchanged item.
//
// Changes made by the program call their handler directly, as plain C++, so a
// failure in the handler travels back to the code that made the change and
// ends that operation; changes made by the user arrive as signals, which the
// window connects through its guard.
namespace linkwell {

// A multi-line text box over Windows-1250 bytes. A line break is carriage
// return and line feed in the text and in every count. Typing and pasting
// stop at the typed-character limit and refuse characters the code page
// cannot hold (and the control characters a name or URL cannot hold), so
// what the box shows is exactly what it holds; each refusal runs the refusal
// handler once, so that the user hears why a key did nothing. A longer text
// set by the program is shown whole. A bare CR or LF in a text set by the
// program keeps its byte through edits elsewhere; only breaks the user types
// are CR LF. A drop is taken whole or refused whole.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int Unlimited = -1;

    explicit TextBox(QWidget* parent = nullptr);

    const QByteArray& text() const { return text_; }
    // Characters, a line break counting two.
    int length() const { return int(text_.size()); }
    // Runs the change handler only when the text differs from the one held.
    void setText(const QByteArray& text);
    // Adds a line of its own after the last one and shows it.
    void appendLine(const QByteArray& line);
    QList<QByteArray> lines() const;

    void setMaxTyped(int count) { maxTyped_ = count; }
    int maxTyped() const { return maxTyped_; }
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }
    // Runs when typed, pasted or dropped text is refused in part or whole.
    void setRefusalHandler(std::function<void()> handler) { refusalHandler_ = std::move(handler); }

signals:
    // A change of the text by the user (typing, pasting, deleting).
    void userChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void contentsChangedByWidget();
    void documentChanged(int position, int removed, int added);
    QByteArray widgetText() const;
    // Stored characters of the widget's text from..to (document positions).
    int storedLength(int from, int to) const;
    // Typed characters still allowed if the selection is replaced.
    int room() const;
    // Keeps the characters of text that can be typed here, up to `left`.
    QString acceptable(const QString& text, int left) const;
    QString acceptable(const QString& text) const { return acceptable(text, room()); }
    void refused();
    void showText();

    QByteArray text_;
    // The widget's text as last seen, and the bytes of each of its line
    // breaks in order: what lets a break the user never touched keep its
    // bytes.
    QString shown_;
    QList<QByteArray> breaks_;
    bool settingFromProgram_ = false;
    bool movingOwnText_ = false;
    int maxTyped_ = 255;
    std::function<void()> changeHandler_;
    std::function<void()> refusalHandler_;
};

// A single-selection list box of Windows-1250 texts.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    // -1 when nothing is selected. Setting it runs no click handler.
    int itemIndex() const;
    void setItemIndex(int index);

    int itemCount() const { return count(); }
    QByteArray itemText(int index) const;
    QList<QByteArray> itemTexts() const;
    void clearItems();
    void addItem(const QByteArray& text);
    void insertItem(int index, const QByteArray& text);
    void deleteItem(int index);
    // Keeps the selection.
    void replaceItem(int index, const QByteArray& text);
    // The selection moves with the exchanged item.
    void exchange(int first, int second);

signals:
    // The user changed the selection, by mouse or keyboard.
    void userClicked();

private:
    template <class F> void byProgram(F&& change);
    bool changingFromProgram_ = false;
};

// A check box whose state set by the program runs its click handler when the
// state changes.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr);

    // Hides QAbstractButton::setChecked on purpose: this one runs the handler.
    void setChecked(bool checked);
    void setClickHandler(std::function<void()> handler) { clickHandler_ = std::move(handler); }

signals:
    // The user toggled the box.
    void userClicked();

private:
    bool settingFromProgram_ = false;
    std::function<void()> clickHandler_;
};

} // namespace linkwell
