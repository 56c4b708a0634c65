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
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTimer>

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
