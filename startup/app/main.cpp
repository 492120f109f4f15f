// Quaverly: finds the iPod, loads its database and shows the browser.
#include "startup/IpodDiscovery.h"
#include "startup/SingleInstance.h"
#include "ui/QtPromptService.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <clocale>

using namespace quaverly;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaverly"));
    QApplication::setApplicationVersion(QStringLiteral(QUAVERLY_VERSION));
    std::setlocale(LC_NUMERIC, "C"); // libmpv refuses other numeric locales

    startup::SingleInstance instance;
    if (!instance.tryAcquire())
        return 0; // a second copy ends silently

    const QStringList args = QApplication::arguments().mid(1);
    const auto found = startup::StartFindiPod(args.join(QLatin1Char(' ')), startup::ScanCandidates());

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quaverly"));
    auto* label = new QLabel(found ? QStringLiteral("iPod: ") + found->iPodRoot
                                   : QStringLiteral("No iPod was found."),
                             &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(900, 600);
    window.show();
    return QApplication::exec();
}
