#include "media/taglib/TagLibModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

#include <memory>

#ifndef QUAVERLY_RELATIVE_MODULE_DIR
#define QUAVERLY_RELATIVE_MODULE_DIR "../lib/quaverly"
#endif

namespace quaverly::media {
namespace {

struct Loaded
{
    std::unique_ptr<QLibrary> library; // never unloaded: its code may run until the end
    const TagLibApi* api = nullptr;
    QString error;
};

QStringList candidates()
{
    const QString chosen = qEnvironmentVariable("QUAVERLY_TAGLIB_MODULE");
    if (!chosen.isEmpty())
        return { chosen };
    const QString name = QLatin1String(kTagLibModuleName);
    QStringList paths;
    if (QCoreApplication::instance()) {
        const QDir program(QCoreApplication::applicationDirPath());
        // Beside the program (the build), then where the install puts it.
        paths << program.filePath(u"lib" + name)
              << program.filePath(QStringLiteral(QUAVERLY_RELATIVE_MODULE_DIR "/lib") + name);
    }
    paths << name;
    return paths;
}

Loaded load()
{
    Loaded loaded;
    QStringList failures;
    for (const QString& candidate : candidates()) {
        auto library = std::make_unique<QLibrary>(candidate);
        if (!library->load()) {
            failures << library->errorString();
            continue;
        }
        using Entry = const TagLibApi* (*)();
        const auto entry = reinterpret_cast<Entry>(library->resolve(kTagLibEntryPoint));
        const TagLibApi* api = entry ? entry() : nullptr;
        if (!api || api->abiVersion != kTagLibAbiVersion || !api->readArt || !api->writeTags) {
            failures << candidate + QStringLiteral(": not this program's TagLib module");
            continue;
        }
        loaded.library = std::move(library);
        loaded.api = api;
        return loaded;
    }
    loaded.error = QStringLiteral("The TagLib module could not be opened: ") + failures.join(QStringLiteral("; "));
    return loaded;
}

const Loaded& module()
{
    static const Loaded loaded = load(); // C++ runs this once, whatever the threads
    return loaded;
}

} // namespace

const TagLibApi* loadTagLibModule()
{
    return module().api;
}

QString tagLibModuleError()
{
    return module().error;
}

} // namespace quaverly::media
