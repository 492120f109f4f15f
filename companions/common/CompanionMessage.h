#pragma once
// The one way a companion program (which has no window of its own) puts a
// message in front of the user when a display is there.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

namespace companion {

/// True when a graphical session is there to show a message box on.
inline bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// Shows `text` in a message box titled `title` and returns when the user
/// pressed OK. Creates the program's QApplication, so no other application
/// object may be alive. QUAVERLY_COMPANION_MESSAGES (for tests only) names a
/// file that gets the title and the text; the box then closes as soon as it
/// is shown.
inline void showMessageBox(int& argc, char** argv, const QString& title, const QString& text,
                           QMessageBox::Icon icon = QMessageBox::NoIcon)
{
    QApplication app(argc, argv);
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    const QString log = qEnvironmentVariable("QUAVERLY_COMPANION_MESSAGES");
    if (!log.isEmpty()) {
        QTimer::singleShot(0, &box, [&box, log, title, text] {
            QFile file(log);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write((title + QLatin1Char('\n') + text + QLatin1Char('\n')).toUtf8());
            box.accept();
        });
    }
    box.exec();
}

} // namespace companion
