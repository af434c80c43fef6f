// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/CodePageBox.h"

#include <QLineEdit>

#include "core/text/code_page.h"
#include "ui/panels/TextStart.h"

namespace {
struct Offered {
    const char* caption;
    const char* name;
};
constexpr Offered kOffered[] = {
    {"Automatic", "auto"},           {"Western (cp1252)", "cp1252"},    {"Central European (cp1250)", "cp1250"},
    {"Cyrillic (cp1251)", "cp1251"}, {"Cyrillic (koi8-r)", "koi8-r"},   {"Greek (cp1253)", "cp1253"},
    {"Turkish (cp1254)", "cp1254"},  {"Hebrew (cp1255)", "cp1255"},     {"Arabic (cp1256)", "cp1256"},
    {"Baltic (cp1257)", "cp1257"},   {"Vietnamese (cp1258)", "cp1258"}, {"Unicode (utf-8)", "utf-8"},
};

bool Known(const std::string& name)
{
    try {
        CodePage::Open(name);
        return true;
    } catch (const UnknownCodePage&) {
        return false;
    }
}
}  // namespace

CodePageBox::CodePageBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setToolTip("The code page of the texts of 8-bit files (MapSource, MapSend, Nobletec, Holux, Kestrelmaps),\n"
               "read and written; Automatic guesses it from the texts. Any name iconv knows may be typed.");
    for (const Offered& offered : kOffered) addItem(offered.caption, QString(offered.name));
    setMinimumContentsLength(8);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ShowTextStart(this);
    connect(this, &QComboBox::currentIndexChanged, this, &CodePageBox::Changed);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &CodePageBox::Changed);
}

std::string CodePageBox::Choice() const
{
    const int offered = findText(currentText());
    if (offered >= 0) return itemData(offered).toString().toStdString();
    const std::string typed = currentText().trimmed().toStdString();
    return !typed.empty() && Known(typed) ? typed : std::string(kAutomaticCodePage);
}

void CodePageBox::SetChoice(const std::string& name)
{
    const int offered = findData(QString::fromStdString(name));
    if (offered >= 0) setCurrentIndex(offered);
    else if (Known(name)) setEditText(QString::fromStdString(name));
}
