// SPDX-License-Identifier: GPL-3.0-or-later
// TLyrComboBox: a drop-down list with a caption label, typing filters,
// separator rows ("-" double line, "--" single line, "-..." not selectable)
// and fill entries ("<...>") that ask the owner to refill the list.
#pragma once

#include <QComboBox>
#include <functional>

#include "ui/panels/LabelLink.h"

class TLyrComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TLyrComboBox(QWidget* parent = nullptr);

    QString LabelCaption() const { return link_->Caption(); }
    void SetLabelCaption(const QString& caption) { link_->SetCaption(caption); }
    TLabelAlignment LabelAlignment() const { return link_->Alignment(); }
    void SetLabelAlignment(TLabelAlignment alignment) { link_->SetAlignment(alignment); }
    int Gap() const { return link_->Gap(); }
    void SetGap(int gap) { link_->SetGap(gap); }
    TchangeLabel* Label() const { return link_->Label(); }

    // "numeric", "uppercase", or anything else for no filter.
    QString Picture() const { return picture_; }
    void SetPicture(const QString& picture);
    bool InvisibleEdit() const { return invisibleEdit_; }
    void SetInvisibleEdit(bool on);
    bool SetWidth() const { return setWidth_; }
    void SetSetWidth(bool on);
    // The most characters the user can type; chosen entries may be longer.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length; }
    // Typing searches the entries: the first one that holds the typed text,
    // letter case ignored, is selected, and a list of those that hold it
    // shows; leaving the field shows the selected entry whole.
    bool TypeAhead() const { return typeAhead_; }
    void SetTypeAhead(bool on);
    // Non-zero: the list rows are drawn as separators and bold "Others" rows.
    int Tag() const { return tag_; }
    void SetTag(int tag);

    std::function<void(const QString&)> OnFillList;
    std::function<void()> OnCloseUp;

    void hidePopup() override;

    // Closes the list, lets the owner refill it from entry `row`, and opens it again at the top.
    void FillAction(int row);

    static bool IsSeparator(const QString& entry) { return entry == "-" || entry == "--"; }
    static bool IsFillEntry(const QString& entry) { return entry.startsWith('<') && entry.contains('>'); }

signals:
    // The entry chosen changed and the choice is made: at once when it is
    // selected from the list or by the program, once typing ends when it is typed.
    void ChoiceMade(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FilterTyping(QKeyEvent* key);
    bool ListKey(QKeyEvent* key);
    bool ListClick(QMouseEvent* click);
    void TextEdited(const QString& text);
    // Escape while typing: the entry chosen before comes back, and the typing is forgotten.
    void CancelTyping();
    void ApplyWidth();
    void ShowSelectedWhole();
    void ReportChoice();

    LabelLink* link_;
    QString picture_ = "uppercase";
    bool invisibleEdit_ = false;
    bool setWidth_ = false;
    bool typeAhead_ = false;
    int maxLength_ = 10;
    int tag_ = 0;
    QString previousText_, currentText_;
    bool typing_ = false;
    int reported_ = -1;
    int beforeTyping_ = -1;
};
