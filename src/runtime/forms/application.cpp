#include "runtime/forms/application.h"

#include "runtime/abort.h"
#include "runtime/forms/messages.h"

#include <stdexcept>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // QSettings finds the user's settings under these names.
    setApplicationName(QStringLiteral("simpanpinjam"));
    setOrganizationName(QStringLiteral("SimpanPinjam"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Abort &) {
        return false;
    } catch (const std::exception &e) {
        messages::standardError(e);
        return false;
    } catch (...) {
        messages::standardError(std::runtime_error("Terjadi kesalahan yang tidak dikenal."));
        return false;
    }
}
