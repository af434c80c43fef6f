// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/Lyrlcomb.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "ui/panels/TextStart.h"

namespace {
// Separator and "Others" rows, drawn when the list's tag is set.
class TLyrRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect r = option.rect;
        painter->save();
        if (TLyrComboBox::IsSeparator(text)) {
            painter->fillRect(r, option.palette.base());
            const int thickness = text == "-" ? 2 : 1;
            painter->fillRect(QRect(r.left(), r.top() + r.height() / 2 - thickness / 2, r.width(), thickness),
                              QColor(0xC0, 0xC0, 0xC0));
        } else {
            const bool selected = option.state & QStyle::State_Selected;
            painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
            painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
            QFont font = option.font;
            font.setBold(text.startsWith("Others"));
            painter->setFont(font);
            const QFontMetrics metrics(font);
            const int top = (r.top() + r.bottom() - metrics.height()) / 2;
            painter->drawText(QPoint(r.left() + 2, top + metrics.ascent()), text);
        }
        painter->restore();
    }
};

bool IsPushButton(QWidget* w) { return qobject_cast<QPushButton*>(w) != nullptr; }
}  // namespace

TLyrComboBox::TLyrComboBox(QWidget* parent) : QComboBox(parent), link_(nullptr)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Typed text must stay as typed: no completion into an entry.
    setCompleter(nullptr);
    ShowTextStart(this);
    resize(width(), 17);
    link_ = new LabelLink(this, QString(), true);
    lineEdit()->installEventFilter(this);
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TLyrComboBox::TextEdited);
    connect(this, &QComboBox::editTextChanged, this, [this](const QString& text) {
        previousText_ = currentText_;
        currentText_ = text;
    });
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!typing_) ReportChoice();
    });
    connect(lineEdit(), &QLineEdit::editingFinished, this, &TLyrComboBox::ReportChoice);
}

// Arrowing through the typed matches puts the entry highlighted in the field:
// that entry is the one chosen, not the first match selected while typing.
void TLyrComboBox::ReportChoice()
{
    if (typing_) {
        const int highlighted = findText(lineEdit()->text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (highlighted >= 0) setCurrentIndex(highlighted);
    }
    typing_ = false;
    if (currentIndex() == reported_) return;
    reported_ = currentIndex();
    emit ChoiceMade(reported_);
}

void TLyrComboBox::SetPicture(const QString& picture)
{
    picture_ = picture;
    update();
}

void TLyrComboBox::SetInvisibleEdit(bool on)
{
    invisibleEdit_ = on;
    update();
}

void TLyrComboBox::SetSetWidth(bool on)
{
    setWidth_ = on;
    if (on) ApplyWidth();
    update();
}

void TLyrComboBox::ApplyWidth()
{
    const QFontMetrics metrics(window()->font());
    resize(metrics.horizontalAdvance('X') * (maxLength_ + 1), height());
}

void TLyrComboBox::SetTypeAhead(bool on)
{
    if (on == typeAhead_) return;
    typeAhead_ = on;
    if (!on) {
        setCompleter(nullptr);
        return;
    }
    auto* completer = new QCompleter(model(), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(completer);
    connect(completer, qOverload<const QModelIndex&>(&QCompleter::activated), this, &TLyrComboBox::ReportChoice);
    // Ahead of the completer's own filter, which would only close the list on Escape.
    completer->popup()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &TLyrComboBox::ShowSelectedWhole, Qt::UniqueConnection);
}

void TLyrComboBox::ShowSelectedWhole()
{
    if (typeAhead_ && currentIndex() >= 0 && currentText() != itemText(currentIndex()))
        setEditText(itemText(currentIndex()));
}

void TLyrComboBox::SetTag(int tag)
{
    tag_ = tag;
    if (tag != 0) view()->setItemDelegate(new TLyrRowDelegate(view()));
    else view()->setItemDelegate(new QStyledItemDelegate(view()));
}

void TLyrComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (OnCloseUp) OnCloseUp();
}

void TLyrComboBox::FillAction(int row)
{
    const QString entry = itemText(row);
    hidePopup();
    QCoreApplication::processEvents();
    if (OnFillList) OnFillList(entry);
    QCoreApplication::processEvents();
    showPopup();
    view()->scrollToTop();
}

void TLyrComboBox::TextEdited(const QString& text)
{
    QString typed = text;
    // Pasting must not go past the typing limit either.
    if (typed.size() > maxLength_ && typed.size() > previousText_.size()) typed = previousText_;
    const int cursor = std::min<int>(lineEdit()->cursorPosition(), typed.size());
    if (!typing_) beforeTyping_ = currentIndex();
    typing_ = true;
    int index = findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (typeAhead_ && index < 0 && !typed.trimmed().isEmpty()) index = findText(typed.trimmed(), Qt::MatchContains);
    if (index != currentIndex()) setCurrentIndex(index);
    if (lineEdit()->text() != typed) {
        lineEdit()->setText(typed);
        lineEdit()->setCursorPosition(cursor);
    }
}

void TLyrComboBox::CancelTyping()
{
    if (!typing_) return;
    typing_ = false;
    setCurrentIndex(beforeTyping_);
    setEditText(beforeTyping_ >= 0 ? itemText(beforeTyping_) : QString());
}

bool TLyrComboBox::FilterTyping(QKeyEvent* key)
{
    if (key->key() == Qt::Key_Escape && typing_) {
        CancelTyping();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // On to the next control that is not a push button; one pass at most.
        for (int step = 0; step < 1000; ++step) {
            if (!focusNextPrevChild(true)) break;
            QWidget* now = window()->focusWidget();
            if (!now || now == this || now == lineEdit() || !IsPushButton(now)) break;
        }
        return true;
    }
    const QString text = key->text();
    if (text.size() != 1 || text[0].unicode() < 32 || text[0].unicode() == 127) return false;
    const QChar c = text[0];
    if (picture_ == "numeric" && !c.isDigit() && c != '+' && c != '-' && c != QLocale().decimalPoint().front())
        return true;
    QLineEdit* edit = lineEdit();
    if (edit->text().size() - edit->selectedText().size() >= maxLength_) return true;
    if (picture_ == "uppercase" && c >= 'a' && c <= 'z') {
        QKeyEvent upper(key->type(), key->key(), key->modifiers(), QString(c.toUpper()), key->isAutoRepeat(),
                        static_cast<ushort>(key->count()));
        QCoreApplication::sendEvent(edit, &upper);
        return true;
    }
    return false;
}

bool TLyrComboBox::ListKey(QKeyEvent* key)
{
    const int current = view()->currentIndex().row();
    const int last = count() - 1;
    auto select = [this](int row) { view()->setCurrentIndex(model()->index(row, modelColumn())); };
    switch (key->key()) {
    case Qt::Key_Up: {
        const int i = std::max(current - 1, 0);
        if (IsSeparator(itemText(i))) {
            select(std::max(i - 1, 0));
            return true;
        }
        return IsFillEntry(itemText(i));
    }
    case Qt::Key_Down: {
        const int i = std::min(current + 1, last);
        if (IsSeparator(itemText(i))) {
            select(std::min(i + 1, last));
            return true;
        }
        return IsFillEntry(itemText(i));
    }
    case Qt::Key_F4:
        if (current >= 0 && IsFillEntry(itemText(current))) {
            FillAction(current);
            return true;
        }
        return false;
    default: return false;
    }
}

bool TLyrComboBox::ListClick(QMouseEvent* click)
{
    if (click->button() != Qt::LeftButton) return false;
    const QModelIndex index = view()->indexAt(click->position().toPoint());
    if (!index.isValid()) return false;
    const QString entry = itemText(index.row());
    const bool fill = IsFillEntry(entry);
    if (!entry.startsWith('-') && !fill) return false;
    // Separators and fill entries are never chosen; a fill entry acts on release.
    if (fill && click->type() == QEvent::MouseButtonRelease) FillAction(index.row());
    return true;
}

bool TLyrComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) return FilterTyping(static_cast<QKeyEvent*>(event));
    if (completer() && watched == completer()->popup() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && typing_) {
        completer()->popup()->hide();
        CancelTyping();
        return true;
    }
    if (watched == view() && event->type() == QEvent::KeyPress) return ListKey(static_cast<QKeyEvent*>(event));
    if (watched == view()->viewport() &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress))
        return ListClick(static_cast<QMouseEvent*>(event));
    return QComboBox::eventFilter(watched, event);
}

// Keys reach the list itself while it has the focus, and its text part when that has it.
void TLyrComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!FilterTyping(event)) QComboBox::keyPressEvent(event);
}

void TLyrComboBox::paintEvent(QPaintEvent* event)
{
    QComboBox::paintEvent(event);
    if (!invisibleEdit_) return;
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), height() - 1), Qt::white);
}
