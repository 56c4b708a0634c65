#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler is
// shown in the standard error box and the event loop goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
