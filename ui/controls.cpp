#include "controls.h"

#include "store/cp1250.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace linkwell {

namespace {

const QByteArray LineBreak("\r\n", 2);

bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

// Any of CR LF, CR or LF becomes one break of the widget.
QString toWidgetBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

// The bytes of each break of a stored text, in order, as toWidgetBreaks
// finds them.
QList<QByteArray> breaksOf(const QByteArray& text)
{
    QList<QByteArray> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out << LineBreak;
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            out << QByteArray(1, text[i]);
        }
    }
    return out;
}

int breaksBefore(const QString& text, int position)
{
    int n = 0;
    for (int i = 0; i < position && i < text.size(); ++i)
        n += isBreak(text.at(i)) ? 1 : 0;
    return n;
}

} // namespace

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::documentChanged);
    connect(this, &QPlainTextEdit::textChanged, this, &TextBox::contentsChangedByWidget);
}

void TextBox::documentChanged(int position, int, int)
{
    if (settingFromProgram_)
        return;
    const QString now = document()->toRawText();
    if (now == shown_)
        return;
    // The range Qt reports may be wider than the edit; what differs is what
    // lies between the common head and tail. The head stops at the reported
    // position, which settles which of two like breaks went.
    const int shorter = int(std::min(shown_.size(), now.size()));
    int head = 0;
    while (head < shorter && head < std::max(position, 0) && shown_.at(head) == now.at(head))
        ++head;
    int tail = 0;
    while (tail < shorter - head && shown_.at(shown_.size() - 1 - tail) == now.at(now.size() - 1 - tail))
        ++tail;
    const int first = breaksBefore(shown_, head);
    const int removed = breaksBefore(shown_, int(shown_.size()) - tail) - first;
    const int added = breaksBefore(now, int(now.size()) - tail) - breaksBefore(now, head);
    breaks_.remove(first, std::min<qsizetype>(removed, breaks_.size() - first));
    for (int i = 0; i < added; ++i)
        breaks_.insert(first, LineBreak); // the user's own breaks
    shown_ = now;
}

QByteArray TextBox::widgetText() const
{
    // toRawText keeps no-break spaces, which toPlainText would turn into blanks.
    const QString raw = document()->toRawText();
    QByteArray out;
    out.reserve(raw.size());
    QString run;
    int index = 0;
    for (const QChar c : raw) {
        if (isBreak(c)) {
            out += cp1250::encode(run);
            out += breaks_.value(index++, LineBreak);
            run.clear();
        } else {
            run += c;
        }
    }
    out += cp1250::encode(run);
    return out;
}

void TextBox::contentsChangedByWidget()
{
    if (settingFromProgram_)
        return;
    documentChanged(std::numeric_limits<int>::max(), 0, 0);
    QByteArray now = widgetText();
    if (now == text_)
        return;
    text_ = std::move(now);
    emit userChanged();
}

void TextBox::showText()
{
    settingFromProgram_ = true;
    setPlainText(toWidgetBreaks(cp1250::decode(text_)));
    settingFromProgram_ = false;
    shown_ = document()->toRawText();
    breaks_ = breaksOf(text_);
}

void TextBox::setText(const QByteArray& text)
{
    if (text == text_)
        return;
    text_ = text;
    showText();
    if (changeHandler_)
        changeHandler_();
}

void TextBox::appendLine(const QByteArray& line)
{
    if (!text_.isEmpty())
        text_ += LineBreak;
    text_ += line;
    settingFromProgram_ = true;
    appendPlainText(toWidgetBreaks(cp1250::decode(line)));
    settingFromProgram_ = false;
    shown_ = document()->toRawText();
    breaks_ = breaksOf(text_);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    if (changeHandler_)
        changeHandler_();
}

QList<QByteArray> TextBox::lines() const
{
    QList<QByteArray> out;
    if (text_.isEmpty())
        return out;
    qsizetype start = 0;
    for (qsizetype at; (at = text_.indexOf(LineBreak, start)) >= 0; start = at + 2)
        out << text_.mid(start, at - start);
    out << text_.mid(start);
    return out;
}

int TextBox::storedLength(int from, int to) const
{
    int n = 0;
    int index = breaksBefore(shown_, from);
    for (int i = std::max(from, 0); i < to && i < shown_.size(); ++i)
        n += isBreak(shown_.at(i)) ? int(breaks_.value(index++, LineBreak).size()) : 1;
    return n;
}

int TextBox::room() const
{
    if (maxTyped_ == Unlimited)
        return std::numeric_limits<int>::max();
    const QTextCursor cursor = textCursor();
    const int selected = storedLength(cursor.selectionStart(), cursor.selectionEnd());
    return std::max(0, maxTyped_ - (length() - selected));
}

QString TextBox::acceptable(const QString& text, int left) const
{
    QString out;
    for (const QChar c : toWidgetBreaks(text)) {
        const bool lineBreak = c == u'\n';
        // Below 0x20 only the line break is text; 0x00 and 0x01 would also
        // end a name in the phone's image.
        if (!lineBreak && (c.unicode() < 0x20 || c.unicode() == 0x7F || !cp1250::canEncode(c)))
            continue;
        const int cost = lineBreak ? 2 : 1;
        if (cost > left)
            break;
        left -= cost;
        out += c;
    }
    return out;
}

void TextBox::refused()
{
    if (refusalHandler_)
        refusalHandler_();
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (room() < 2) {
            refused();
            return;
        }
        // Shift+Enter would make a soft line break; both are one line break here.
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7F
                           && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (printable && acceptable(typed) != typed) {
        refused();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    // A move within this box has been measured whole by dropEvent; its
    // selection is already gone from the document but not yet from the
    // counts, so the room must not be asked again.
    const QString text = acceptable(source->text(), movingOwnText_ ? std::numeric_limits<int>::max() : room());
    if (text != toWidgetBreaks(source->text()))
        refused();
    if (!text.isEmpty() || textCursor().hasSelection())
        textCursor().insertText(text);
}

void TextBox::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (isReadOnly() || !data || !data->hasText()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    // A drop lands beside the selection, not over it; a move of this box's
    // own selection takes that selection's characters along. Cut short, a
    // drop would lose what the source then deletes: it fits whole or not at all.
    const bool moving = (event->source() == this || event->source() == viewport()) && event->dropAction() == Qt::MoveAction;
    const QString text = toWidgetBreaks(data->text());
    int left = std::numeric_limits<int>::max();
    if (maxTyped_ != Unlimited) {
        const QTextCursor cursor = textCursor();
        left = maxTyped_ - length() + (moving ? storedLength(cursor.selectionStart(), cursor.selectionEnd()) : 0);
    }
    if (acceptable(text, std::max(0, left)) != text) {
        refused();
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        QDragLeaveEvent leave;
        QPlainTextEdit::dragLeaveEvent(&leave); // takes the drop caret away
        return;
    }
    movingOwnText_ = moving;
    QPlainTextEdit::dropEvent(event);
    movingOwnText_ = false;
}

void TextBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isReadOnly() && !event->commitString().isEmpty()) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        const QString commit = acceptable(event->commitString());
        if (commit != event->commitString())
            refused();
        filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&filtered);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

// ---------------------------------------------------------------- ListBox

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (!changingFromProgram_)
            emit userClicked();
    });
    // A click on the empty part of the list would leave the current row
    // unselected; the selected index stays on it, so does the highlight.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = currentRow();
        if (row >= 0 && row < count() && !item(row)->isSelected())
            byProgram([&] { item(row)->setSelected(true); });
    });
}

template <class F> void ListBox::byProgram(F&& change)
{
    const bool outer = changingFromProgram_;
    changingFromProgram_ = true;
    change();
    changingFromProgram_ = outer;
}

int ListBox::itemIndex() const
{
    const int row = currentRow();
    return row >= 0 && row < count() ? row : -1;
}

void ListBox::setItemIndex(int index)
{
    byProgram([&] {
        if (index >= 0 && index < count()) {
            setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        } else {
            clearSelection();
            setCurrentRow(-1);
        }
    });
}

QByteArray ListBox::itemText(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->data(Qt::UserRole).toByteArray() : QByteArray();
}

QList<QByteArray> ListBox::itemTexts() const
{
    QList<QByteArray> out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void ListBox::clearItems()
{
    byProgram([&] { clear(); });
}

void ListBox::addItem(const QByteArray& text)
{
    insertItem(count(), text);
}

void ListBox::insertItem(int index, const QByteArray& text)
{
    byProgram([&] {
        auto* it = new QListWidgetItem(cp1250::decode(text));
        it->setData(Qt::UserRole, text);
        QListWidget::insertItem(index, it);
    });
}

void ListBox::deleteItem(int index)
{
    byProgram([&] { delete takeItem(index); });
}

void ListBox::replaceItem(int index, const QByteArray& text)
{
    QListWidgetItem* it = item(index);
    if (!it)
        return;
    byProgram([&] {
        it->setText(cp1250::decode(text));
        it->setData(Qt::UserRole, text);
    });
}

void ListBox::exchange(int first, int second)
{
    QListWidgetItem* a = item(first);
    QListWidgetItem* b = item(second);
    if (!a || !b || first == second)
        return;
    const int selected = itemIndex();
    byProgram([&] {
        const QByteArray textA = itemText(first);
        const QByteArray textB = itemText(second);
        a->setText(cp1250::decode(textB));
        a->setData(Qt::UserRole, textB);
        b->setText(cp1250::decode(textA));
        b->setData(Qt::UserRole, textA);
    });
    if (selected == first)
        setItemIndex(second);
    else if (selected == second)
        setItemIndex(first);
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool) {
        if (!settingFromProgram_)
            emit userClicked();
    });
}

void CheckBox::setChecked(bool checked)
{
    if (checked == isChecked())
        return;
    const bool outer = settingFromProgram_;
    settingFromProgram_ = true;
    QCheckBox::setChecked(checked);
    settingFromProgram_ = outer;
    if (clickHandler_)
        clickHandler_();
}

} // namespace linkwell
