#pragma once
// A demo iPod in a temporary folder, loaded the way the program loads it.
#include "database/LibraryLoader.h"
#include "device/DevicePath.h"
#include "settings/mdlOptions.h"
#include "tools/demoipod/DemoIpod.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace quaverly::testing {

struct DemoIpod
{
    QTemporaryDir dir;
    database::LoadResult load;
    std::unique_ptr<settings::mdlOptions> options;

    /// Makes and loads the demo iPod; false (with a test failure) when it cannot.
    bool make(int tracks = 0)
    {
        if (!dir.isValid())
            return false;
        QString error;
        tools::DemoOptions demo;
        demo.tracks = tracks;
        demo.audio = false;
        if (!tools::makeDemoIpod(dir.path(), demo, &error)) {
            qWarning("demo iPod: %s", qPrintable(error));
            return false;
        }
        load = database::LoadiTunesDB(dbPath(), dir.path());
        if (load.error != database::LoadError::None || load.library.TrackCount() == 0)
            return false;
        load.library.iPodRoot = dir.path();
        options = std::make_unique<settings::mdlOptions>(dir.path());
        return true;
    }
    [[nodiscard]] QString dbPath() const
    {
        return device::DevicePath(dir.path()).existing(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
    }
    /// The preferences file's text ("" when it does not exist yet).
    [[nodiscard]] QString prefsText() const
    {
        QFile file(options->PrefsPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }
};

} // namespace quaverly::testing
