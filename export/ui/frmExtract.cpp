#include "export/ui/frmExtract.h"

#include "database/Library.h"
#include "export/ExtractCore.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"
#include "ui/widgets/clsBrowseFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <cmath>
#include <mutex>

namespace quaverly::exporting {

/// What the worker and the window share during a run.
struct ExtractRunState
{
    std::atomic_bool cancel { false };
    std::mutex mutex;
    ExtractProgress progress; // guarded by mutex
};

namespace {

constexpr int kPreviewSongs = 3;
constexpr int kProgressIntervalMs = 100;
constexpr qint64 kEstimateAfterMs = 1500;

QString defaultTargetDir()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return music.isEmpty() ? QDir::homePath() : music;
}

} // namespace

QString progressText(const ExtractProgress& progress, qint64 elapsedMs)
{
    const QLocale locale;
    QString text = QStringLiteral("%1 of %2 songs").arg(progress.songsDone).arg(progress.songsTotal);
    if (progress.bytesTotal > 0)
        text += QStringLiteral(", %1 of %2")
                    .arg(locale.formattedDataSize(progress.bytesDone, 1, QLocale::DataSizeTraditionalFormat),
                         locale.formattedDataSize(progress.bytesTotal, 1, QLocale::DataSizeTraditionalFormat));
    if (elapsedMs < kEstimateAfterMs || progress.bytesDone <= 0 || progress.bytesTotal <= progress.bytesDone)
        return text;
    const double leftMs = static_cast<double>(elapsedMs) * static_cast<double>(progress.bytesTotal - progress.bytesDone)
        / static_cast<double>(progress.bytesDone);
    const qint64 seconds = std::llround(leftMs / 1000.0);
    if (seconds < 60)
        return text + QStringLiteral(", about %1 s left").arg(qMax<qint64>(seconds, 1));
    return text + QStringLiteral(", about %1 min left").arg((seconds + 30) / 60);
}

frmExtract::frmExtract(const database::Library& library, settings::mdlOptions& options, ui::PromptService& prompts,
                       QWidget* parent)
    : ui::SkinnedWindow(QStringLiteral("Quaverly Extract"), QStringLiteral("Quaverly Extract"), parent)
    , m_library(library)
    , m_options(options)
    , m_prompts(prompts)
    , m_run(std::make_shared<ExtractRunState>())
{
    setObjectName(QStringLiteral("frmExtract"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    buildControls();
    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &frmExtract::showProgress);
    connect(&m_watcher, &QFutureWatcher<ExtractReport>::finished, this, &frmExtract::runFinished);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmExtract::cmdBrowse_Click);
    connect(cmdExtract, &QPushButton::clicked, this, &frmExtract::cmdExtract_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmExtract::cmdHelp_Click);
    connect(cmdRemovePlayer, &QPushButton::clicked, this, &frmExtract::cmdRemovePlayer_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdStop, &QPushButton::clicked, this, &frmExtract::cmdStop_Click);
    Form_Load();
    connect(txtDir, &QLineEdit::textChanged, this, &frmExtract::txtDir_Change);
    connect(txtFormat, &QLineEdit::textChanged, this, &frmExtract::updatePreview);
    connect(chkTags, &QCheckBox::toggled, this, [this](bool on) { m_options.set(settings::prefs::kExtractTags, on); });
    connect(chkCovers, &QCheckBox::toggled, this,
            [this](bool on) { m_options.set(settings::prefs::kExtractCovers, on); });
}

frmExtract::~frmExtract()
{
    m_run->cancel = true;
    if (m_watcher.isRunning())
        m_watcher.waitForFinished();
}

void frmExtract::Form_Load()
{
    // A folder beside a program installed for all users is not writable, so
    // the user's music folder stands in for the program's folder.
    txtDir->setText(m_options.stored(settings::prefs::kExtractDir).value_or(defaultTargetDir()));
    txtFormat->setText(m_options.get(settings::prefs::kExtractTemplate));
    chkTags->setChecked(m_options.get(settings::prefs::kExtractTags));
    chkCovers->setChecked(m_options.get(settings::prefs::kExtractCovers));
    updatePreview();
}

void frmExtract::setPlayCounts(const database::mdlPlayCountEditor& playCounts)
{
    m_playCounts = playCounts;
}

void frmExtract::AddSongs(const std::vector<int>& trackIndexes)
{
    m_pending.AddSongs(trackIndexes);
    lstSongs->clear();
    lstSongs->addItems(m_pending.lines(m_library));
    updatePreview();
}

bool frmExtract::isExtracting() const
{
    return m_watcher.isRunning();
}

void frmExtract::txtDir_Change(const QString& text)
{
    m_options.set(settings::prefs::kExtractDir, text);
    updatePreview();
}

void frmExtract::cmdBrowse_Click()
{
    ui::clsBrowseFolder picker;
    picker.hWndOwner = this;
    picker.IncludeFiles = true;
    picker.AllowNewFolder = true; // the extraction makes the folders it needs
    picker.InitialDir = txtDir->text().trimmed();
    picker.Title = QStringLiteral("Directory to extract to:");
    const QString folder = picker.BrowseForFolder();
    if (!folder.isEmpty())
        txtDir->setText(QDir::toNativeSeparators(folder));
}

void frmExtract::cmdHelp_Click()
{
    m_prompts.show(
        QStringLiteral("Help On Format"),
        QStringLiteral("Putting the item to be replaced (Eg - Genre) in square brackets (Eg - [Genre]) will "
                       "make the term be replaced by the Genre of that song in the filename. In case a field "
                       "is not found, then it is replaced by Uknown. Eg -Unknown Genre. If no track number is "
                       "found, then it is replaced with 00. Replaceable values: [Genre][Track "
                       "number][Title][Artist][Album]"),
        ui::PromptIcon::Information);
}

void frmExtract::cmdRemovePlayer_Click()
{
    const QModelIndexList selected = lstSongs->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::vector<int> positions;
    positions.reserve(static_cast<size_t>(selected.size()));
    for (const QModelIndex& index : selected)
        positions.push_back(index.row());
    m_pending.remove(positions);
    const int keep = lstSongs->currentRow() - static_cast<int>(positions.size());
    lstSongs->clear();
    lstSongs->addItems(m_pending.lines(m_library));
    if (lstSongs->count() > 0)
        lstSongs->scrollToItem(lstSongs->item(qBound(0, keep, lstSongs->count() - 1)));
    updatePreview();
}

void frmExtract::updatePreview()
{
    const QDir target(txtDir->text());
    QStringList lines;
    const int shown = qMin(m_pending.size(), kPreviewSongs);
    for (int i = 0; i < shown; ++i) {
        const int index = m_pending.indexes()[static_cast<size_t>(i)];
        if (index < 0 || index >= m_library.TrackCount())
            continue;
        const database::TrackRecord& t = m_library.Tracks[static_cast<size_t>(index)];
        const QString name = MakeFileName(txtFormat->text(), t.Title, t.Artist, t.Album, t.Genre,
                                          trackNumberText(t.TrackNumber));
        lines.append(QDir::toNativeSeparators(target.filePath(destinationName(name, GetFormat(t.Path)))));
    }
    if (m_pending.size() > shown)
        lines.append(QStringLiteral("... and %1 more").arg(m_pending.size() - shown));
    lblPreview->setText(lines.isEmpty() ? QString() : QStringLiteral("Songs go to:\n") + lines.join(QLatin1Char('\n')));
}

void frmExtract::cmdExtract_Click()
{
    if (isExtracting())
        return;
    m_options.set(settings::prefs::kExtractTemplate, txtFormat->text());
    const QString dir = txtDir->text().trimmed();
    if (dir.isEmpty() || QDir::isRelativePath(dir)) {
        m_prompts.show(QStringLiteral("No Folder!"),
                       QStringLiteral("Please choose the folder to extract the songs to."), ui::PromptIcon::Warning);
        return;
    }
    if (targetInsideIpod(m_library.iPodRoot, dir)) {
        m_prompts.show(QStringLiteral("Folder On The iPod!"),
                       QStringLiteral("The folder %1 is on your iPod: songs copied there would land among the iPod's "
                                      "own files. Please choose a folder on your computer.")
                           .arg(QDir::toNativeSeparators(dir)),
                       ui::PromptIcon::Warning);
        return;
    }
    if (!txtDir->text().endsWith(QDir::separator()))
        txtDir->setText(txtDir->text() + QDir::separator()); // stored as well, as every change is
    StartExtract(dir, txtFormat->text());
}

void frmExtract::StartExtract(const QString& targetDir, const QString& nameTemplate)
{
    m_run = std::make_shared<ExtractRunState>();
    {
        std::lock_guard lock(m_run->mutex);
        m_run->progress.songsTotal = m_pending.size();
    }
    setRunning(true);
    showProgress();
    m_clock.start();
    m_progressTimer.start();
    const database::Library* library = &m_library;
    ExtractOptions options;
    options.writeTags = chkTags->isChecked();
    options.writeCovers = chkCovers->isChecked();
    m_watcher.setFuture(QtConcurrent::run([run = m_run, library, indexes = m_pending.indexes(), targetDir, nameTemplate,
                                           options, playCounts = m_playCounts]() mutable {
        if (options.writeTags && playCounts)
            options.ratings = playCounts->getAllRatings(*library); // the iPod's file, read off the window's thread
        const ExtractPlan plan = SongExtractor(*library).makePlan(indexes, targetDir, nameTemplate, options);
        return SongExtractor::run(plan, [run](const ExtractProgress& progress) {
            {
                std::lock_guard lock(run->mutex);
                run->progress = progress;
            }
            return !run->cancel.load();
        });
    }));
}

void frmExtract::showProgress()
{
    ExtractProgress progress;
    {
        std::lock_guard lock(m_run->mutex);
        progress = m_run->progress;
    }
    double fraction = 0.0;
    if (progress.bytesTotal > 0)
        fraction = static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal);
    else if (progress.songsTotal > 0)
        fraction = static_cast<double>(progress.songsDone) / progress.songsTotal;
    shpProgress->setValue(static_cast<int>(qBound(0.0, fraction, 1.0) * kProgressSteps));
    lblCurrent->setText(progress.currentSong);
    lblProgress->setText(progressText(progress, m_clock.isValid() ? m_clock.elapsed() : 0));
}

void frmExtract::cmdStop_Click()
{
    m_run->cancel = true;
    cmdStop->setEnabled(false);
    Label3->setText(QStringLiteral("Stopping after the current song's chunk..."));
}

void frmExtract::setRunning(bool running)
{
    for (QWidget* w :
         { static_cast<QWidget*>(txtDir), static_cast<QWidget*>(cmdBrowse), static_cast<QWidget*>(txtFormat),
           static_cast<QWidget*>(cmdRemovePlayer), static_cast<QWidget*>(cmdExtract), static_cast<QWidget*>(lstSongs),
           static_cast<QWidget*>(chkTags), static_cast<QWidget*>(chkCovers) })
        w->setEnabled(!running);
    cmdStop->setEnabled(running);
    Label3->setText(QStringLiteral("Please wait, extracting songs from your iPod..."));
    fraExtract->setVisible(running);
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void frmExtract::runFinished()
{
    m_progressTimer.stop();
    const ExtractReport report = m_watcher.result();
    showProgress();
    setRunning(false);
    Q_EMIT extractFinished(report);
    if (m_closeAfterRun) {
        close();
        return;
    }
    showReport(report);
    if (!report.cancelled)
        close(); // a finished run ends the window; a cancelled one leaves it for another try
}

void frmExtract::showReport(const ExtractReport& report)
{
    const QStringList extras = tagAndCoverLines(report);
    if (report.allCopied() && !report.cancelled) {
        ui::PromptRequest request;
        request.title = QStringLiteral("Extracted!");
        request.text = QStringLiteral("All the songs were extracted successfully!");
        request.icon = ui::PromptIcon::Information;
        request.details = extras.join(QLatin1Char('\n'));
        (void)m_prompts.ask(request);
        return;
    }
    const QString where = QDir::toNativeSeparators(txtDir->text());
    ui::PromptRequest request;
    request.details = (failureLines(report) + extras).join(QLatin1Char('\n'));
    if (report.cancelled) {
        request.title = QStringLiteral("Extract Cancelled");
        request.text = QStringLiteral("The extraction was stopped. %1 of %2 songs were extracted to %3.")
                           .arg(report.copied)
                           .arg(report.total)
                           .arg(where);
        request.icon = ui::PromptIcon::Information;
    } else {
        request.title = QStringLiteral("Not All Extracted!");
        request.text = QStringLiteral("%1 of %2 songs were extracted to %3. These songs could not be copied:")
                           .arg(report.copied)
                           .arg(report.total)
                           .arg(where);
        request.icon = ui::PromptIcon::Warning;
    }
    (void)m_prompts.ask(request);
}

void frmExtract::closeEvent(QCloseEvent* event)
{
    if (isExtracting()) {
        // Closing during a run stops it; the window goes once the worker is done.
        m_closeAfterRun = true;
        cmdStop_Click();
        event->ignore();
        return;
    }
    SkinnedWindow::closeEvent(event);
}

} // namespace quaverly::exporting
