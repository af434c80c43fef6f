// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QLineEdit>

// An editable combo box whose text is wider than its field shows the text's
// start ("Mapsource Tr", not "urce Track") once an entry is chosen.
inline void ShowTextStart(QComboBox* box)
{
    const auto showStart = [box] {
        if (box->lineEdit() != nullptr && !box->lineEdit()->hasFocus()) box->lineEdit()->setCursorPosition(0);
    };
    QObject::connect(box, &QComboBox::currentIndexChanged, box, showStart);
    showStart();
}
