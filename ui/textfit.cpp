#include "textfit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>

namespace linkwell {

namespace {

// The smallest font a text is shrunk to before it is left to be cut.
constexpr int SmallestPixelSize = 7;

int textWidth(const QWidget* control, const QStringList& texts)
{
    int widest = 0;
    const QFontMetrics metrics = control->fontMetrics();
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

// The count labels of both windows hold the same hundreds of number texts in
// the same font, and shaping them was a fair part of the program's start-up:
// each text is measured once per font and screen resolution. The program adds
// no fonts while it runs, so a width once measured stays true.
int widestOf(const QWidget* control, const QStringList& texts)
{
    if (texts.size() < 2)
        return textWidth(control, texts);
    static QHash<QString, int> known;
    const QString font = control->font().toString() + QLatin1Char('/') + QString::number(control->logicalDpiX()) + QLatin1Char('x')
                         + QString::number(control->logicalDpiY()) + QLatin1Char('/');
    const QFontMetrics metrics = control->fontMetrics();
    int widest = 0;
    for (const QString& text : texts) {
        const QString key = font + text;
        auto found = known.find(key);
        if (found == known.end())
            found = known.insert(key, metrics.horizontalAdvance(text));
        widest = std::max(widest, *found);
    }
    return widest;
}

QString ownText(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return {};
}

// The narrowest width in [least, most] whose text room holds `needed`; most
// when none does.
int widthFor(const QWidget* control, int needed, int least, int most)
{
    for (int width = least; width < most; ++width) {
        if (textRoom(control, width) >= needed)
            return width;
    }
    return most;
}

void fitOne(QWidget* window, const TextFit& fit)
{
    auto* control = window->findChild<QWidget*>(QString::fromLatin1(fit.name));
    if (!control)
        return;
    const QStringList texts = fit.texts.isEmpty() ? QStringList{ownText(control)} : fit.texts;
    const auto* label = qobject_cast<const QLabel*>(control);
    const bool rightAligned = label && (label->alignment() & Qt::AlignRight);
    QRect g = control->geometry();
    int limit = fit.limit;
    if (const auto* neighbour = fit.neighbour ? window->findChild<QWidget*>(QString::fromLatin1(fit.neighbour)) : nullptr) {
        limit = rightAligned ? neighbour->x() + textWidth(neighbour, {ownText(neighbour)}) + 1 : neighbour->x() - 1;
    }
    for (;;) {
        const int needed = widestOf(control, texts);
        if (rightAligned) {
            const int right = g.right() + 1;
            const int width = widthFor(control, needed, 1, right - limit);
            g.setLeft(right - width);
        } else {
            // Labels take the width of their text, as they did where the
            // window was designed; buttons and boxes keep theirs unless it is short.
            const int least = label ? 1 : g.width();
            g.setWidth(widthFor(control, needed, least, std::max(least, limit - g.left())));
        }
        control->setGeometry(g);
        QFont font = control->font();
        const int size = QFontInfo(font).pixelSize();
        if (textRoom(control, g.width()) >= needed || size <= SmallestPixelSize)
            return;
        font.setPixelSize(size - 1);
        control->setFont(font);
    }
}

} // namespace

QStringList countTexts(int last)
{
    QStringList out;
    for (int i = 0; i <= last; ++i)
        out << QString::number(i);
    return out;
}

void fitTexts(QWidget* window, const QList<TextFit>& fits)
{
    for (const TextFit& fit : fits)
        fitOne(window, fit);
}

int textRoom(const QWidget* control, int width)
{
    const QStyle* style = control->style();
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(0, 0, width, button->height());
        // What the label is drawn in, less two pixels a side so that the
        // text does not touch the frame.
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() - 4;
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.rect = QRect(0, 0, width, box->height());
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.rect = QRect(0, 0, width, radio->height());
        return style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio).width();
    }
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return width - 2 * label->frameWidth() - 2 * std::max(0, label->margin());
    return width;
}

} // namespace linkwell
