#include "export/ui/PlayExportCommand.h"

#include "database/Library.h"
#include "export/PlayExporter.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace quaverly::exporting {
namespace {

const QString kLogFilter = QStringLiteral("Audioscrobbler log for Last.fm uploaders (*.scrobbler.log *.log)");
const QString kJsonFilter = QStringLiteral("ListenBrainz import (*.json)");
const QString kTitle = QStringLiteral("Export Plays");

QString defaultFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

} // namespace

PlayExportCommand::PlayExportCommand(QWidget* window, const database::Library& library, QString databaseFile,
                                     settings::mdlOptions& options, ui::PromptService& prompts)
    : m_window(window)
    , m_library(library)
    , m_databaseFile(std::move(databaseFile))
    , m_options(options)
    , m_prompts(prompts)
{
}

QString PlayExportCommand::chooseFile(bool* listenBrainz)
{
    const bool json = m_options.get(settings::prefs::kExportPlaysFormat) == settings::prefs::PlaysFormat::ListenBrainz;
    const QString folder = m_options.stored(settings::prefs::kExportPlaysDir).value_or(defaultFolder());
    QFileDialog dialog(m_window, kTitle, folder);
    dialog.setObjectName(QStringLiteral("dlgExportPlays"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // asked below, through the prompt service
    dialog.setNameFilters({ kLogFilter, kJsonFilter });
    dialog.selectNameFilter(json ? kJsonFilter : kLogFilter);
    dialog.selectFile(json ? QStringLiteral("iPod-plays.json") : QStringLiteral("iPod-plays.scrobbler.log"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        // After the dialog's own change of the ending: the stem typed so far
        // keeps, the type's ending follows.
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, filter] {
                QString name = QFileInfo(dialog.selectedFiles().value(0)).fileName();
                for (bool chopped = true; chopped;) {
                    chopped = false;
                    for (const QLatin1String ending :
                         { QLatin1String(".json"), QLatin1String(".log"), QLatin1String(".scrobbler") }) {
                        if (name.endsWith(ending, Qt::CaseInsensitive)) {
                            name.chop(ending.size());
                            chopped = true;
                        }
                    }
                }
                dialog.selectFile(name + (filter == kJsonFilter ? u".json" : u".scrobbler.log"));
            },
            Qt::QueuedConnection);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    *listenBrainz = dialog.selectedNameFilter() == kJsonFilter;
    QString path = dialog.selectedFiles().constFirst();
    if (QFileInfo(path).suffix().isEmpty())
        path += *listenBrainz ? u".json" : u".scrobbler.log";
    m_options.set(settings::prefs::kExportPlaysDir, QFileInfo(path).absolutePath());
    m_options.set(settings::prefs::kExportPlaysFormat,
                  *listenBrainz ? settings::prefs::PlaysFormat::ListenBrainz
                                : settings::prefs::PlaysFormat::Audioscrobbler);
    return path;
}

void PlayExportCommand::run()
{
    PlayExportRequest request;
    request.iPodRoot = m_library.iPodRoot;
    request.databaseFile = m_databaseFile;
    request.clock.mode = PlayClock::Mode::LocalZone;
    PreparedPlayExport prepared = preparePlayExport(m_library, request);
    if (prepared.error != PlayExportError::None) {
        m_prompts.show(QStringLiteral("Export Failed"), prepared.errorText, ui::PromptIcon::Critical);
        return;
    }
    if (prepared.collection.plays.empty()) {
        m_prompts.show(kTitle, playExportReport(prepared).join(u'\n'), ui::PromptIcon::Information);
        return;
    }
    bool listenBrainz = false;
    const QString path = chooseFile(&listenBrainz);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && m_prompts.show(kTitle, QStringLiteral("%1 already exists. Replace it?").arg(QDir::toNativeSeparators(path)),
                          ui::PromptIcon::Question, ui::PromptButtons::YesNo)
            != ui::PromptAnswer::Yes)
        return;
    renderPlayLog(m_library, prepared, listenBrainz ? PlayLogFormat::ListenBrainz : PlayLogFormat::Audioscrobbler);
    QString error;
    if (writePlayLog(path, m_library.iPodRoot, prepared.content, &error) != PlayExportError::None) {
        m_prompts.show(QStringLiteral("Export Failed"), error, ui::PromptIcon::Critical);
        return;
    }
    QStringList lines = playExportReport(prepared);
    const QString notRecorded = recordPlayExport(prepared);
    if (!notRecorded.isEmpty())
        lines << QStringLiteral("The export could not be recorded on the iPod (%1): the next export writes these "
                                "plays again.")
                     .arg(notRecorded);
    ui::PromptRequest report;
    report.title = QStringLiteral("Plays Exported");
    report.text = QStringLiteral("The plays were written to %1.").arg(QDir::toNativeSeparators(path));
    report.details = lines.join(u'\n');
    report.icon = notRecorded.isEmpty() ? ui::PromptIcon::Information : ui::PromptIcon::Warning;
    (void)m_prompts.ask(report);
}

} // namespace quaverly::exporting
