// SPDX-License-Identifier: GPL-3.0-or-later
// TLyrComboBox: a drop-down list with a caption label, a typing filter, a
// typing limit and typing that searches its entries.
#pragma once

#include <QComboBox>

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

    // "uppercase", or anything else for no filter.
    QString Picture() const { return picture_; }
    void SetPicture(const QString& picture) { picture_ = picture; }
    // The most characters the user can type; chosen entries may be longer.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length; }
    // Typing searches the entries: the first one that holds the typed text,
    // letter case ignored, is selected, and a list of those that hold it
    // shows; leaving the field shows the selected entry whole.
    bool TypeAhead() const { return typeAhead_; }
    void SetTypeAhead(bool on);
signals:
    // The entry chosen changed and the choice is made: at once when it is
    // selected from the list or by the program, once typing ends when it is typed.
    void ChoiceMade(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FilterTyping(QKeyEvent* key);
    void TextEdited(const QString& text);
    // Escape while typing: the entry chosen before comes back, and the typing is forgotten.
    void CancelTyping();
    void ShowSelectedWhole();
    void ReportChoice();

    LabelLink* link_;
    QString picture_ = "uppercase";
    bool typeAhead_ = false;
    int maxLength_ = 10;
    QString previousText_, currentText_;
    bool typing_ = false;
    int reported_ = -1;
    int beforeTyping_ = -1;
};
