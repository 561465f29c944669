#include "desktop/ScalePrinting.h"

#include <QPageLayout>
#include <QPainter>

#include "desktop/CanvasPicture.h"
#include "rectify/PrintLayout.h"

namespace vesta::desktop {

namespace {

// The bar in alternate black and white divisions, outlined, "0" under its start and its length
// under its end; x, y and the sizes in device pixels.
void drawScaleBar(QPainter& painter, const ScaleBar& bar, double x, double y, double dotsPerMm) {
    const double length = bar.lengthMm * dotsPerMm;
    const double height = 1.5 * dotsPerMm;
    const double step = length / bar.divisions;
    painter.setPen(QPen(Qt::black, 0.15 * dotsPerMm));
    for (int i = 0; i < bar.divisions; ++i) {
        painter.setBrush(i % 2 == 0 ? Qt::black : Qt::white);
        painter.drawRect(QRectF(x + i * step, y, step, height));
    }
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double below = y + height + metrics.ascent() + 0.5 * dotsPerMm;
    painter.drawText(QPointF(x - metrics.horizontalAdvance("0") / 2, below), "0");
    const QString label = QString::fromStdString(bar.label);
    painter.drawText(QPointF(x + length - metrics.horizontalAdvance(label) / 2, below), label);
}

}  // namespace

bool printSheets(QPrinter& printer, const ScalePrintJob& job, std::string& reason) {
    const QImage image = job.colour ? [&] {
        QImage shown;
        toQImage(*job.colour, shown);
        return shown;
    }()
                                    : toQImage(*job.palette);
    // The painter's origin is the printable area's top-left corner.
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    const Result<PrintLayout> laid = layOutPrint(area.width(), area.height(), image.width(),
                                                 image.height(), job.cmPerPixel, job.denominator);
    if (!laid.ok()) {
        reason = laid.error();
        return false;
    }
    const PrintLayout& layout = laid.value();
    QPainter painter;
    if (!painter.begin(&printer)) {
        reason = "La stampa non è riuscita: controllare la stampante scelta.";
        return false;
    }
    // Device pixels per millimetre of paper: all the layout's figures are millimetres.
    const double k = printer.resolution() / 25.4;
    QFont font("DejaVu Sans");
    font.setPointSizeF(9);
    painter.setFont(font);
    bool first = true;
    for (const PrintSheet& sheet : layout.sheets) {
        if (!first && !printer.newPage()) {
            painter.end();
            reason = "La stampa non è riuscita: controllare la stampante scelta.";
            return false;
        }
        first = false;
        painter.save();
        painter.setClipRect(QRectF(0, 0, sheet.clipWidth * k, sheet.clipHeight * k));
        const QRect pixels(sheet.x0, sheet.y0, sheet.x1 - sheet.x0, sheet.y1 - sheet.y0);
        painter.drawImage(
            QRectF(sheet.left * k, sheet.top * k, pixels.width() * layout.mmPerPixel * k,
                   pixels.height() * layout.mmPerPixel * k),
            image, pixels);
        painter.restore();
        const double top = layout.footerTop * k;
        const QFontMetricsF metrics(painter.font(), painter.device());
        painter.setPen(Qt::black);
        painter.drawText(
            QPointF(0, top + 2 * k + metrics.ascent()),
            QString::fromStdString(sheetCaption(job.name, job.denominator, layout, sheet)));
        drawScaleBar(painter, layout.bar, 2 * k, top + 3 * k + metrics.height(), k);
    }
    if (!painter.end()) {
        reason = "La stampa non è riuscita: controllare la stampante scelta.";
        return false;
    }
    return true;
}

}  // namespace vesta::desktop
