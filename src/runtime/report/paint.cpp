#include "runtime/report/paint.h"

#include "runtime/report/document.h"
#include "runtime/report/fonts.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>

namespace report {

namespace {

constexpr double MmPerInch = 25.4;
constexpr int PdfDpi = 300;

// Millimetres to the device's units.
class DeviceScale {
public:
    explicit DeviceScale(const QPaintDevice &device)
        : m_x(device.logicalDpiX() / MmPerInch), m_y(device.logicalDpiY() / MmPerInch) {}

    QRectF map(const QRectF &mm) const
    {
        return {mm.x() * m_x, mm.y() * m_y, mm.width() * m_x, mm.height() * m_y};
    }
    // A rule never thinner than one device dot, or it could vanish.
    double perMmX() const { return m_x; }
    double perMmY() const { return m_y; }
    double dotsX(double mm) const { return std::max(mm * m_x, 1.0); }
    double dotsY(double mm) const { return std::max(mm * m_y, 1.0); }

private:
    double m_x;
    double m_y;
};

void paintFrame(QPainter &painter, const QRectF &r, const Frame &frame, const DeviceScale &scale)
{
    const double w = scale.dotsX(frame.width);
    const double h = scale.dotsY(frame.width);
    if (frame.top)
        painter.fillRect(QRectF(r.left(), r.top(), r.width(), h), frame.color);
    if (frame.bottom)
        painter.fillRect(QRectF(r.left(), r.bottom() - h, r.width(), h), frame.color);
    if (frame.left)
        painter.fillRect(QRectF(r.left(), r.top(), w, r.height()), frame.color);
    if (frame.right)
        painter.fillRect(QRectF(r.right() - w, r.top(), w, r.height()), frame.color);
}

void paintLine(QPainter &painter, const Item &item, const DeviceScale &scale)
{
    QRectF r = scale.map(item.rect);
    r.setWidth(std::max(r.width(), 1.0));
    r.setHeight(std::max(r.height(), 1.0));
    painter.fillRect(r, item.color);
}

// Paints the items of a page; keeps the painter's font and transform between
// texts, since setting them is what costs on long reports.
class PagePainter {
public:
    explicit PagePainter(QPainter &painter)
        : m_painter(painter), m_scale(*painter.device()), m_base(painter.worldTransform()) {}

    void paint(const Item &item)
    {
        switch (item.kind) {
        case ItemKind::Text:
            paintText(item);
            return;
        case ItemKind::Line:
            useBase();
            paintLine(m_painter, item, m_scale);
            return;
        case ItemKind::Rectangle: {
            useBase();
            const QRectF r = m_scale.map(item.rect);
            if (item.fill.isValid())
                m_painter.fillRect(r, item.fill);
            paintFrame(m_painter, r, item.frame, m_scale);
            return;
        }
        case ItemKind::Picture:
            useBase();
            if (!item.image.isNull())
                m_painter.drawImage(m_scale.map(item.rect), item.image);
            return;
        }
    }

    void finish() { useBase(); }

private:
    void useBase()
    {
        if (!m_textMode)
            return;
        m_painter.setWorldTransform(m_base);
        m_textMode = false;
    }

    // Drawn at the reference size and scaled to the device, so that its width
    // does not depend on how the device rounds font sizes (see fonts.h).
    void paintText(const Item &item)
    {
        if (item.text.isEmpty())
            return;
        const double dotsPerMm = ReferenceDpi / MmPerInch;
        const QRectF target = m_scale.map(item.rect);
        const QTransform toDevice(m_scale.perMmX() / dotsPerMm, 0, 0, m_scale.perMmY() / dotsPerMm,
                                  target.x(), target.y());
        m_painter.setWorldTransform(toDevice * m_base);
        m_textMode = true;
        if (!m_hasFont || item.font != m_font) {
            m_font = item.font;
            m_hasFont = true;
            m_painter.setFont(referenceFont(item.font));
        }
        m_painter.setPen(item.color);
        const int flags = static_cast<int>(item.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop
                          | Qt::TextSingleLine | Qt::TextDontClip;
        m_painter.drawText(QRectF(0, 0, item.rect.width() * dotsPerMm, item.rect.height() * dotsPerMm),
                           flags, item.text);
    }

    QPainter &m_painter;
    DeviceScale m_scale;
    QTransform m_base;
    bool m_textMode = false;
    bool m_hasFont = false;
    QFont m_font;
};

} // namespace

void paint(const Page &page, QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PagePainter pagePainter(painter);
    for (const Item &item : page.items)
        pagePainter.paint(item);
    pagePainter.finish();
    painter.restore();
}

QList<int> allPageNumbers(const Document &document)
{
    QList<int> numbers;
    numbers.reserve(document.pageCount());
    for (int number = 1; number <= document.pageCount(); ++number)
        numbers.append(number);
    return numbers;
}

PaintOutcome paintPages(const Document &document, QPagedPaintDevice &device, const QList<int> &numbers,
                        const PageProgress &progress)
{
    for (int number : numbers) {
        if (number < 1 || number > document.pageCount())
            return PaintOutcome::Failed;
    }
    if (numbers.isEmpty())
        return PaintOutcome::Failed;
    QPainter painter;
    if (!painter.begin(&device))
        return PaintOutcome::Failed;
    auto *printer = dynamic_cast<QPrinter *>(&device);
    const int total = int(numbers.size());
    for (int i = 0; i < total; ++i) {
        if (i > 0 && !device.newPage())
            return PaintOutcome::Failed;
        paint(document.page(numbers[i] - 1), painter);
        if (progress && !progress(i + 1, total)) {
            if (printer)
                printer->abort();
            painter.end();
            return PaintOutcome::Cancelled;
        }
    }
    if (!painter.end())
        return PaintOutcome::Failed;
    if (printer && (printer->printerState() == QPrinter::Error || printer->printerState() == QPrinter::Aborted))
        return PaintOutcome::Failed;
    return PaintOutcome::Done;
}

PaintOutcome renderToPdf(const Document &document, const QString &filePath, const QString &title,
                         const PageProgress &progress)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return PaintOutcome::Failed;
    PaintOutcome outcome = PaintOutcome::Failed;
    {
        QPdfWriter writer(&file);
        writer.setResolution(PdfDpi);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Simpan Pinjam"));
        // The pages carry their margins already: the writer adds none.
        writer.setPageLayout(QPageLayout(QPageSize(document.paperSize(), QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF()));
        // A report has at least one page; an empty list still makes a blank one.
        if (document.pageCount() == 0) {
            QPainter blank(&writer);
            outcome = blank.end() ? PaintOutcome::Done : PaintOutcome::Failed;
        } else {
            outcome = paintPages(document, writer, allPageNumbers(document), progress);
        }
    }
    if (outcome != PaintOutcome::Done) {
        file.cancelWriting();
        return outcome;
    }
    return file.commit() ? PaintOutcome::Done : PaintOutcome::Failed;
}

bool renderToPdf(const QList<Page> &pages, const QString &filePath, const QString &title)
{
    return renderToPdf(Document::fromPages(pages), filePath, title) == PaintOutcome::Done;
}

QImage renderToImage(const Page &page, double dotsPerMm, qreal devicePixelRatio)
{
    const double dots = dotsPerMm * devicePixelRatio;
    QImage image(std::max(1, qRound(page.paperSize.width() * dots)), std::max(1, qRound(page.paperSize.height() * dots)),
                 QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dots * 1000.0);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(page, painter);
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage renderToImage(const Page &page, int dpi)
{
    return renderToImage(page, dpi / MmPerInch, 1.0);
}

} // namespace report
