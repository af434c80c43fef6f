// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tiles/TileDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/window/MessageBoxes.h"
#include <QVBoxLayout>

#include "ui/tiles/MapTiles.h"
#include "ui/window/IniFile.h"

namespace {
const std::string kViewSection = "View", kServerKey = "Tile Server", kCreditKey = "Tile Attribution";
}

TileServer ReadTileServer(const std::string& settingsFile)
{
    const IniFile settings(settingsFile);
    return {QString::fromStdString(settings.ReadString(kViewSection, kServerKey, "")),
            QString::fromStdString(settings.ReadString(kViewSection, kCreditKey, ""))};
}

void WriteTileServer(const SettingsLocation& settings, const TileServer& server)
{
    MakeSettingsFolder(settings);
    IniFile file(settings.file);
    file.WriteString(kViewSection, kServerKey, server.urlTemplate.trimmed().toStdString());
    file.WriteString(kViewSection, kCreditKey, server.attribution.trimmed().toStdString());
}

TileDialog::TileDialog(const TileServer& server, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Map tiles");
    auto* about = new QLabel(QString("Under the data, the map can show tiles from a server you name, with the "
                                     "credit it asks for. Leave the address empty for none: then no request is "
                                     "made. Tiles are kept in %1.")
                                 .arg(MapTiles::CacheFolder()),
                             this);
    about->setWordWrap(true);
    url_ = new QLineEdit(server.urlTemplate, this);
    url_->setPlaceholderText("https://tiles.example.org/{z}/{x}/{y}.png");
    url_->setMinimumWidth(url_->fontMetrics().horizontalAdvance(url_->placeholderText()) + 40);
    url_->setClearButtonEnabled(true);
    attribution_ = new QLineEdit(server.attribution, this);
    attribution_->setPlaceholderText("© the tiles' authors");
    auto* form = new QFormLayout;
    auto* urlCaption = new QLabel("Tile &address:", this);
    urlCaption->setBuddy(url_);
    auto* creditCaption = new QLabel("C&redit shown:", this);
    creditCaption->setBuddy(attribution_);
    form->addRow(urlCaption, url_);
    form->addRow(creditCaption, attribution_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TileDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

TileServer TileDialog::Server() const { return {url_->text().trimmed(), attribution_->text().trimmed()}; }

void TileDialog::accept()
{
    const QString url = url_->text().trimmed();
    if (!url.isEmpty() && MapTiles::TileUrl(url, 0, 0, 0).isEmpty()) {
        ShowMessage(this, QMessageBox::Warning, "Map tiles",
                    "The tile address must start with https:// or http:// and hold {z}, {x} and {y}.");
        url_->setFocus();
        return;
    }
    QDialog::accept();
}
