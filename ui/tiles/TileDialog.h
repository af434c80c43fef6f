// SPDX-License-Identifier: GPL-3.0-or-later
// The "Map tiles" dialog: the address of a tile server and the credit it asks
// for, kept in the settings file's View section. An empty address means no tiles.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "ui/window/SettingsLocation.h"

class QLineEdit;

struct TileServer {
    QString urlTemplate;  // with {z}, {x} and {y}; empty: no tiles, no requests
    QString attribution;
};

TileServer ReadTileServer(const std::string& settingsFile);
// Throws std::runtime_error "Unable to write to <file>" when the settings cannot be written.
void WriteTileServer(const SettingsLocation& settings, const TileServer& server);

class TileDialog : public QDialog {
    Q_OBJECT
public:
    TileDialog(const TileServer& server, QWidget* parent = nullptr);
    TileServer Server() const;
    QLineEdit* UrlEdit() const { return url_; }
    QLineEdit* AttributionEdit() const { return attribution_; }

    // Refuses an address that names no tile, saying why.
    void accept() override;

private:
    QLineEdit* url_;
    QLineEdit* attribution_;
};
