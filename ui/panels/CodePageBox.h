// SPDX-License-Identifier: GPL-3.0-or-later
// The code page of the 8-bit formats' texts, chosen beside the input format:
// "Automatic" (guessed from the texts) or one of the code pages their
// writers' systems used; another name iconv knows may be typed.
#pragma once

#include <QComboBox>
#include <string>

class CodePageBox : public QComboBox {
    Q_OBJECT
public:
    explicit CodePageBox(QWidget* parent = nullptr);
    // "auto", or the name iconv knows ("cp1251"); a typed name iconv does not know is "auto".
    std::string Choice() const;
    void SetChoice(const std::string& name);

signals:
    void Changed();
};
