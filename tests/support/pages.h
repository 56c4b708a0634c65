#pragma once

// Reading what a report puts on its pages, as a test reads it: the pages a
// report hands to the preview, caught instead of shown; texts and band kinds
// by page; the paper, read back from a PDF with the poppler tools.
// Header-only: only tests linking the report engine use it.

#include "runtime/report/report.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QRectF>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cmath>
#include <functional>

// While alive, reports go here instead of into a preview window. `whileShown`
// runs where the preview would be on screen, for what a test wants to see then.
class PreviewCatcher {
public:
    explicit PreviewCatcher(std::function<void()> whileShown = {})
    {
        report::setPreviewHook([this, whileShown](const QList<report::Page> &shownPages, const QString &shownTitle) {
            pages = shownPages;
            title = shownTitle;
            titles << shownTitle;
            ++shown;
            if (whileShown)
                whileShown();
        });
    }
    ~PreviewCatcher() { report::setPreviewHook(nullptr); }
    PreviewCatcher(const PreviewCatcher &) = delete;
    PreviewCatcher &operator=(const PreviewCatcher &) = delete;

    // The text of the element on the first page of the last report shown;
    // a marker that names it when there is none.
    QString text(const QString &name) const
    {
        const report::Item *item = pages.isEmpty() ? nullptr : pages.first().find(name);
        return item ? item->text : QStringLiteral("<missing %1>").arg(name);
    }

    QList<report::Page> pages;      // of the last report shown
    QString title;                  // of the last report shown
    QStringList titles;             // of every report shown, in order
    int shown = 0;
};

inline QStringList textsNamed(const report::Page &page, const QString &name)
{
    QStringList texts;
    for (const report::Item *item : page.findAll(name))
        texts << item->text;
    return texts;
}

inline QStringList textsNamed(const QList<report::Page> &pages, const QString &name)
{
    QStringList texts;
    for (const report::Page &page : pages)
        texts << textsNamed(page, name);
    return texts;
}

inline QString lastText(const QList<report::Page> &pages, const QString &name)
{
    const QStringList texts = textsNamed(pages, name);
    return texts.isEmpty() ? QStringLiteral("<missing>") : texts.last();
}

inline QList<report::BandKind> kindsOf(const report::Page &page)
{
    QList<report::BandKind> kinds;
    for (const report::PlacedBand &band : page.bands)
        kinds << band.kind;
    return kinds;
}

// The unnamed rectangles on a page, in band order: what the bands' frames draw.
inline QList<const report::Item *> bandFrames(const report::Page &page)
{
    QList<const report::Item *> frames;
    for (const report::Item &item : page.items) {
        if (item.kind == report::ItemKind::Rectangle && item.name.isEmpty())
            frames << &item;
    }
    return frames;
}

// Where a text item's text stands on the paper, measured here with the
// metrics of the font it is set in, placed by its alignment within its box.
inline QRectF inkBox(const report::Item &item)
{
    const QFontMetricsF metrics(report::referenceFont(item.font));
    const double mmPerDot = 25.4 / report::ReferenceDpi;
    const double width = metrics.horizontalAdvance(item.text) * mmPerDot;
    double left = item.rect.left();
    if (item.alignment & Qt::AlignRight)
        left = item.rect.right() - width;
    return {left, item.rect.top(), width, metrics.height() * mmPerDot};
}

// What is wrong with the texts of a page: a text set in another family than
// the Arial twin, a text standing out of the paper's margins, and every two
// texts whose boxes overlap. Empty when nothing is.
inline QStringList crowdedTexts(const report::Page &page, const QMarginsF &margins = {10, 10, 10, 10})
{
    QStringList faults;
    QList<const report::Item *> texts;
    for (const report::Item &item : page.items) {
        if (item.kind == report::ItemKind::Text && !item.text.isEmpty())
            texts << &item;
    }
    const QRectF content = QRectF(QPointF(), page.paperSize).marginsRemoved(margins);
    const auto describe = [](const report::Item *item) {
        const QRectF box = inkBox(*item);
        return QStringLiteral("%1 \"%2\" (%3..%4, %5..%6)")
            .arg(item->name, item->text)
            .arg(box.left(), 0, 'f', 1).arg(box.right(), 0, 'f', 1)
            .arg(box.top(), 0, 'f', 1).arg(box.bottom(), 0, 'f', 1);
    };
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString family = QFontInfo(report::referenceFont(texts[i]->font)).family();
        if (family != QStringLiteral("Liberation Sans"))
            faults << describe(texts[i]) + QStringLiteral(" set in ") + family;
        const QRectF box = inkBox(*texts[i]);
        if (!content.adjusted(-0.001, -0.001, 0.001, 0.001).contains(box))
            faults << describe(texts[i]) + QStringLiteral(" outside the margins");
        for (qsizetype j = i + 1; j < texts.size(); ++j) {
            const QRectF common = box & inkBox(*texts[j]);
            if (common.width() > 0.001 && common.height() > 0.001)
                faults << describe(texts[i]) + QStringLiteral(" overlaps ") + describe(texts[j]);
        }
    }
    return faults;
}

inline QStringList crowdedTexts(const QList<report::Page> &pages)
{
    QStringList faults;
    for (const report::Page &page : pages) {
        for (const QString &fault : crowdedTexts(page))
            faults << QStringLiteral("page %1: %2").arg(page.number).arg(fault);
    }
    return faults;
}

// Where `follower` may start at the earliest after the text it follows on
// its line: a blank's width after it, or right after it where a blank
// already stands between them.
inline double afterText(const report::Page &page, const char *followed, const char *follower)
{
    const report::Item *item = page.find(QLatin1String(followed));
    const bool blank = item->text.endsWith(QLatin1Char(' '))
                       || page.find(QLatin1String(follower))->text.startsWith(QLatin1Char(' '));
    return inkBox(*item).right() + (blank ? 0.0 : report::WordGap);
}

// A text set in smaller type to fit its box: it keeps the left edge and the
// baseline the layout gave it, in the same face a little smaller.
inline bool shrunkInPlace(const report::Item *item, double left, double top, const report::FontStyle &style)
{
    const QFont asked = report::reportFont(style);
    const double baseline = top + report::textMeasure(asked).ascent();
    return item && std::abs(item->rect.left() - left) < 0.001
           && std::abs(item->rect.top() + report::textMeasure(item->font).ascent() - baseline) < 0.001
           && item->font.bold() == asked.bold() && item->font.pointSizeF() < style.pointSize
           && item->font.pointSizeF() > style.pointSize * 0.9;
}

#define QVERIFY_UNCROWDED(pages) \
    do { \
        const QStringList faults_ = crowdedTexts(pages); \
        QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(QLatin1Char('\n')))); \
    } while (false)

// The preview window on screen, if any.
inline report::ReportPreview *shownPreview()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *preview = qobject_cast<report::ReportPreview *>(widget);
        if (preview && preview->isVisible())
            return preview;
    }
    return nullptr;
}

// What a command-line tool prints; empty when it fails or is missing.
inline QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// -1 when pdfinfo cannot tell.
inline int pdfPageCount(const QString &path)
{
    const auto match = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))"))
                           .match(runTool(QStringLiteral("pdfinfo"), {path}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Answers the next file dialog that comes up with the path, as an operator
// types a file name and presses Save.
inline void answerNextFileDialog(const QString &path)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    poll->start(5);
}

// Saves the shown preview's report through its CSV button into the path and
// returns what the file holds; empty when nothing was written.
inline QByteArray saveCsvFromPreview(report::ReportPreview *preview, const QString &path)
{
    answerNextFileDialog(path);
    preview->action(QStringLiteral("saveCsv"))->trigger();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
