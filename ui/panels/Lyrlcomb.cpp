// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/Lyrlcomb.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/panels/TextStart.h"

namespace {
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

bool TLyrComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) return FilterTyping(static_cast<QKeyEvent*>(event));
    if (completer() && watched == completer()->popup() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && typing_) {
        completer()->popup()->hide();
        CancelTyping();
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

// Keys reach the list itself while it has the focus, and its text part when that has it.
void TLyrComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!FilterTyping(event)) QComboBox::keyPressEvent(event);
}
