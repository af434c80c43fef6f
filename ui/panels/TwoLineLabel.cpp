// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/TwoLineLabel.h"

#include <QEvent>
#include <QTextLayout>

namespace {
constexpr int kLines = 2;

// The lines a paragraph takes at a width, wrapped at blanks.
QStringList Wrapped(const QString& paragraph, const QFont& font, int width)
{
    QStringList lines;
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    if (lines.isEmpty()) lines << QString();
    return lines;
}
}  // namespace

TwoLineLabel::TwoLineLabel(QWidget* parent) : QLabel(parent)
{
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TwoLineLabel::SetFullText(const QString& text)
{
    full_ = text;
    setAccessibleName(text);
    Fit();
}

QSize TwoLineLabel::sizeHint() const
{
    const QMargins m = contentsMargins();
    return {fontMetrics().averageCharWidth() * 20 + m.left() + m.right(),
            fontMetrics().lineSpacing() * kLines + m.top() + m.bottom()};
}

QSize TwoLineLabel::minimumSizeHint() const { return {fontMetrics().averageCharWidth() * 8, sizeHint().height()}; }

void TwoLineLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Fit();
}

void TwoLineLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        Fit();
    }
}

void TwoLineLabel::Fit()
{
    const int width = std::max(1, contentsRect().width());
    QStringList lines;
    for (const QString& paragraph : full_.split('\n')) lines << Wrapped(paragraph, font(), width);
    cut_ = lines.size() > kLines;
    if (cut_) {
        // The second line takes the rest, cut where it no longer fits.
        const QString rest = lines.mid(kLines - 1).join(' ');
        lines = lines.mid(0, kLines - 1);
        lines << fontMetrics().elidedText(rest, Qt::ElideRight, width);
    }
    setText(lines.join('\n'));
    setToolTip(cut_ ? full_ : QString());
}
