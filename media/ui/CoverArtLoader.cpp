#include "media/ui/CoverArtLoader.h"

#include "device/DevicePath.h"
#include "media/EmbeddedArt.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace quaverly::media {
namespace {

/// The saved copy of a cover: named after the song file and its state, so a
/// changed song gets a new file and an unchanged one is written once.
QString saveCover(const QString& folder, const QString& songFile, const CoverImage& cover)
{
    const QFileInfo info(songFile);
    const QByteArray key = QFile::encodeName(info.absoluteFilePath()) + '\n' + QByteArray::number(info.size()) + '\n'
        + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    const QString name = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) + u'.'
        + cover.extension();
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(cover.data) != cover.data.size()
        || !file.commit())
        return {};
    return path;
}

CoverArtLoader::Result readCover(const QString& root, const QString& relativePath, bool wantFile,
                                 const QString& cacheFolder)
{
    CoverArtLoader::Result result { relativePath, {}, {} };
    const QString file = device::DevicePath(root).existing(relativePath);
    if (file.isEmpty())
        return result;
    const ArtResult art = readEmbeddedArt(file);
    if (art.error != ArtError::None)
        return result;
    QImage image = QImage::fromData(art.cover.data);
    if (image.isNull())
        return result; // a picture Qt cannot decode counts as none
    const int edge = CoverArtLoader::kMaxEdgePx;
    if (image.width() > edge || image.height() > edge)
        image = image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    result.image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (wantFile)
        result.coverFile = saveCover(cacheFolder, file, art.cover);
    return result;
}

int costKiB(const QImage& image)
{
    return std::max(1, int(image.sizeInBytes() / 1024));
}

} // namespace

CoverArtLoader::CoverArtLoader(QString iPodRoot, QObject* parent)
    : QObject(parent)
    , m_root(std::move(iPodRoot))
    , m_cacheFolder(
          QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("covers")))
{
    m_cache.setMaxCost(kCacheKiB);
    connect(&m_watcher, &QFutureWatcher<Result>::finished, this, &CoverArtLoader::finished);
}

CoverArtLoader::~CoverArtLoader()
{
    m_waiting.clear();
    m_watcher.waitForFinished();
}

bool CoverArtLoader::busy() const
{
    return m_watcher.isRunning() || !m_waiting.empty();
}

void CoverArtLoader::request(const QString& relativePath, bool wantFile)
{
    if (const Entry* entry = m_cache.object(relativePath);
        entry && (!wantFile || !entry->coverFile.isEmpty() || entry->image.isNull())) {
        const Result cached { relativePath, entry->image, wantFile ? entry->coverFile : QString() };
        QMetaObject::invokeMethod(
            this, [this, cached] { Q_EMIT coverReady(cached.relativePath, cached.image, cached.coverFile); },
            Qt::QueuedConnection);
        return;
    }
    if (m_watcher.isRunning() && m_running.relativePath == relativePath && (m_running.wantFile || !wantFile))
        return; // under way: its answer comes
    const auto same = [&](const Job& job) { return job.relativePath == relativePath; };
    bool file = wantFile;
    for (const Job& job : m_waiting)
        file = file || (same(job) && job.wantFile);
    m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), same), m_waiting.end());
    m_waiting.push_front({ relativePath, file });
    if (m_waiting.size() > kMaxWaiting)
        m_waiting.pop_back();
    startNext();
}

void CoverArtLoader::startNext()
{
    if (m_watcher.isRunning() || m_waiting.empty())
        return;
    m_running = m_waiting.front();
    m_waiting.pop_front();
    ++m_readsStarted;
    m_watcher.setFuture(
        QtConcurrent::run(readCover, m_root, m_running.relativePath, m_running.wantFile, m_cacheFolder));
}

void CoverArtLoader::finished()
{
    const Result result = m_watcher.result();
    m_cache.insert(result.relativePath, new Entry { result.image, result.coverFile }, costKiB(result.image));
    Q_EMIT coverReady(result.relativePath, result.image, result.coverFile);
    startNext();
}

} // namespace quaverly::media
