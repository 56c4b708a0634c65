#pragma once

#include <QLabel>
#include <QPixmap>

// A picture stretched over the whole label. It keeps its colours while its
// window is disabled (a plain label would grey it out), as a background
// picture should behind a modal login.
class Image : public QLabel {
    Q_OBJECT
public:
    Image(QWidget *parent, const QString &name);
    void setPicture(const QString &resourcePath);
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
