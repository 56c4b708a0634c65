#include "runtime/picture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

const QString resources = QStringLiteral(SP_SOURCE_DIR "/src/resources");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Encodes a picture of one flat colour in the given colour space, so that
// each conversion of the decoder can be checked against known values.
QByteArray encodeFlat(int width, int height, J_COLOR_SPACE space, std::vector<JSAMPLE> pixel)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = int(pixel.size());
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray data(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return data;
}

bool near(QRgb actual, QRgb expected)
{
    const int tolerance = 3;
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void programPicturesDecode()
    {
        const QStringList files = QDir(resources).entryList({ "*.jpg" }, QDir::Files);
        QVERIFY2(files.size() >= 17, qPrintable(files.join(' ')));
        for (const QString &name : files) {
            const QByteArray data = readFile(resources + '/' + name);
            QVERIFY2(data.size() < 40 * 1024, qPrintable(name));
            const QImage image = picture::decodeJpeg(data);
            QVERIFY2(!image.isNull(), qPrintable(name));
            QCOMPARE(image.format(), QImage::Format_RGB888);
        }
        QCOMPARE(picture::loadJpeg(resources + "/logo.jpg").size(), QSize(300, 200));
        QCOMPARE(picture::loadJpeg(resources + "/background.jpg").size(), QSize(800, 600));
        QCOMPARE(picture::loadJpeg(resources + "/icon.jpg").size(), QSize(64, 64));
        QCOMPARE(picture::loadJpeg(resources + "/anggota.jpg").size(), QSize(32, 32));
        const QPixmap pixmap = picture::loadPixmap(resources + "/ok.jpg");
        QCOMPARE(pixmap.size(), QSize(24, 24));

        // The emblem's ring is blue, its centre white, the corners white.
        const QImage logo = picture::loadJpeg(resources + "/logo.jpg");
        QVERIFY(near(logo.pixel(2, 2), qRgb(255, 255, 255)));
        QVERIFY(qBlue(logo.pixel(150, 96)) > 200 && qRed(logo.pixel(150, 12)) < 60);
    }

    void damagedOrMissingPicturesGiveNullImages()
    {
        const QByteArray good = readFile(resources + "/logo.jpg");
        QVERIFY(!good.isEmpty());

        QVERIFY(picture::decodeJpeg(good.left(good.size() / 2)).isNull());
        QVERIFY(picture::decodeJpeg(good.left(good.size() - 2)).isNull()); // no end marker
        QVERIFY(picture::decodeJpeg(good.left(100)).isNull());             // header only
        QVERIFY(picture::decodeJpeg(QByteArray()).isNull());
        QVERIFY(picture::decodeJpeg(QByteArray("GIF89a not a jpeg at all")).isNull());

        QByteArray scrambled = good;
        for (qsizetype i = scrambled.size() / 3; i < scrambled.size() / 3 + 400; ++i)
            scrambled[i] = char(0xFF);
        QVERIFY(picture::decodeJpeg(scrambled).isNull());

        QTemporaryDir dir;
        QFile truncated(dir.filePath("truncated.jpg"));
        QVERIFY(truncated.open(QIODevice::WriteOnly));
        truncated.write(good.left(good.size() * 2 / 3));
        truncated.close();
        QVERIFY(picture::loadJpeg(truncated.fileName()).isNull());
        QVERIFY(picture::loadPixmap(truncated.fileName()).isNull());
        QVERIFY(picture::loadJpeg(dir.filePath("missing.jpg")).isNull());

        // The decoder keeps working after a failure.
        QCOMPARE(picture::decodeJpeg(good).size(), QSize(300, 200));
    }

    void colourSpacesBecomeRgb()
    {
        const QImage rgb = picture::decodeJpeg(encodeFlat(17, 9, JCS_RGB, { 200, 40, 90 }));
        QCOMPARE(rgb.size(), QSize(17, 9));
        QVERIFY(near(rgb.pixel(16, 8), qRgb(200, 40, 90)));

        const QImage grey = picture::decodeJpeg(encodeFlat(8, 8, JCS_GRAYSCALE, { 120 }));
        QCOMPARE(grey.format(), QImage::Format_RGB888);
        QVERIFY(near(grey.pixel(3, 3), qRgb(120, 120, 120)));

        // libjpeg writes CMYK with the Adobe marker, whose values are inverted
        // (255 = no ink): no ink but 50% black gives mid grey, full cyan ink
        // and no black gives (0, 255, 255).
        const QImage halfBlack = picture::decodeJpeg(encodeFlat(8, 8, JCS_CMYK, { 255, 255, 255, 128 }));
        QVERIFY(near(halfBlack.pixel(1, 1), qRgb(128, 128, 128)));
        const QImage cyan = picture::decodeJpeg(encodeFlat(8, 8, JCS_CMYK, { 0, 255, 255, 255 }));
        QVERIFY(near(cyan.pixel(1, 1), qRgb(0, 255, 255)));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
