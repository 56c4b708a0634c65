#pragma once

// Comparing report measures, which are millimetres in doubles: equal within
// a thousandth of a millimetre unless a test allows more.

#include <QRectF>
#include <QString>
#include <QTest>

#include <cmath>

inline constexpr double MmTolerance = 0.001;

inline bool near(double a, double b, double tolerance = MmTolerance)
{
    return std::abs(a - b) <= tolerance;
}

#define QCOMPARE_MM(actual, expected) \
    QVERIFY2(near((actual), (expected)), qPrintable(QStringLiteral("%1 != %2").arg(actual).arg(expected)))

#define QCOMPARE_RECT(actual, ex, ey, ew, eh) \
    do { \
        const QRectF r_ = (actual); \
        QVERIFY2(near(r_.x(), ex) && near(r_.y(), ey) && near(r_.width(), ew) && near(r_.height(), eh), \
                 qPrintable(QStringLiteral("(%1, %2, %3 x %4) != (%5, %6, %7 x %8)") \
                                .arg(r_.x()).arg(r_.y()).arg(r_.width()).arg(r_.height()) \
                                .arg(ex).arg(ey).arg(ew).arg(eh))); \
    } while (false)

// The top-left corner of the rectangle of what `name` calls an element.
#define QCOMPARE_CORNER(name, actual, ex, ey) \
    do { \
        const QRectF r_ = (actual); \
        QVERIFY2(near(r_.left(), ex) && near(r_.top(), ey), \
                 qPrintable(QStringLiteral("%1 at (%2, %3)").arg(name).arg(r_.left()).arg(r_.top()))); \
    } while (false)
